// Any text in a number box, from any hand or file, for a user of any country
// with any dialer settings, on either dial button: it is refused, or the
// modem gets one dial, "ATDT", dial characters only, and the carriage return
// that ends it; the pick-up box shows what follows the prefixes.
// (What a dial button does: dialer::dialOfNumber, in its two steps.)
#include "dialer/DialCommand.h"
#include "links/StoredNumber.h"
#include "platform/core/Error.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first eleven bytes choose the country, the four settings and the
    // button; the rest is the number.
    if (size < 11)
        return 0;
    const QString region = QString::fromLatin1(reinterpret_cast<const char*>(data), 2).toUpper();
    qint16 s[4];
    std::memcpy(s, data + 2, sizeof s);
    const dialer::DialerSettingsValues settings{s[0], s[1], s[2], s[3]};
    const auto kind = data[10] & 1 ? dialer::DialKind::Mobile : dialer::DialKind::Phone;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 11), qsizetype(size - 11));

    links::LinkDial read;
    try {
        read = links::readStoredNumber(text, region);
    } catch (const platform::Error&) {
        return 0; // refused: nothing is written
    }
    // The reader refuses with its reason; the composer's own last check
    // must never be what stops a number it let through.
    dialer::Dial dial;
    try {
        dial = dialer::composeDial(kind, read.number, settings);
    } catch (const platform::Error& error) {
        std::fprintf(stderr, "the number '%s' was read but not composed: %s\n", qPrintable(text),
                     qPrintable(error.description()));
        std::abort();
    }
    if (dial.number.isEmpty() && dial.command.isEmpty())
        return 0; // nothing to dial
    const QString& c = dial.command;
    bool sound = c.startsWith(QLatin1String("ATDT")) && c.endsWith(dial.number + QLatin1Char('\r'));
    for (qsizetype i = 4; sound && i + 1 < c.size(); ++i)
        sound = links::isDialCharacter(c[i]);
    if (!sound) {
        std::fprintf(stderr, "the number '%s' gave a command that is not one dial: %s\n", qPrintable(text),
                     qPrintable(c));
        std::abort();
    }
    return 0;
}
