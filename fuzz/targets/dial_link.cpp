// Any link, for a user of any country with any dialer settings: whatever it
// holds, the modem gets one dial and nothing else, "ATDT", dial characters
// and hyphens, and the carriage return that ends it.
#include "dialer/DialCommand.h"
#include "links/DialLink.h"
#include "platform/core/Error.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
bool isDialCharacter(QChar c) {
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || QStringView(u"*#,-").contains(c);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first eleven bytes choose the country, the four settings and
    // whether the extension is taken; the rest is the link.
    if (size < 11)
        return 0;
    const QString region = QString::fromLatin1(reinterpret_cast<const char*>(data), 2).toUpper();
    qint16 s[4];
    std::memcpy(s, data + 2, sizeof s);
    const dialer::DialerSettingsValues settings{s[0], s[1], s[2], s[3]};
    const bool withExtension = data[10] & 1;
    const QString link = QString::fromUtf8(reinterpret_cast<const char*>(data + 11), qsizetype(size - 11));

    links::LinkDial read;
    try {
        read = links::readLink(link, region);
    } catch (const platform::Error&) {
        return 0; // refused: nothing is written
    }
    if (!withExtension)
        read.number.extension.clear();
    const QString c = dialer::composeDial(read.number, settings).command;
    bool sound = c.size() > 5 && c.startsWith(QLatin1String("ATDT")) && c.endsWith(QLatin1Char('\r'));
    for (qsizetype i = 4; sound && i + 1 < c.size(); ++i)
        sound = isDialCharacter(c[i]);
    if (!sound) {
        std::fprintf(stderr, "the link '%s' gave a command that is not one dial: %s\n", qPrintable(link),
                     qPrintable(c));
        std::abort();
    }
    return 0;
}
