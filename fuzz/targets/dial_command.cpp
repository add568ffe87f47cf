// Any text in a number box, with any dialer settings: the command sent to
// the modem is one line, "ATDT" and digits or whatever was typed, ending in
// its only carriage return, with no other control character that the modem
// could take for the end of the command.
#include "dialer/DialCommand.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first nine bytes choose the kind and the four settings; the rest is the text.
    if (size < 9)
        return 0;
    qint16 s[4];
    std::memcpy(s, data + 1, sizeof s);
    const dialer::DialerSettingsValues settings{s[0], s[1], s[2], s[3]};
    const auto kind = data[0] & 1 ? dialer::DialKind::Mobile : dialer::DialKind::Phone;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 9), qsizetype(size - 9));

    const dialer::Dial dial = dialer::composeDial(kind, text, settings);
    const QString& c = dial.command;
    bool sound = c.startsWith(QLatin1String("ATDT")) && c.endsWith(QLatin1Char('\r')) &&
                 c.endsWith(dial.number + QLatin1Char('\r'));
    for (qsizetype i = 0; i + 1 < c.size(); ++i)
        sound = sound && c[i].unicode() >= 32 && c[i].unicode() != 127;
    if (!sound) {
        std::fprintf(stderr, "the dial command is not one clean line\n");
        std::abort();
    }
    return 0;
}
