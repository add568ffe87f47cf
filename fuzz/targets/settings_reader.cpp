// Any bytes as the content of Port.sav or Prefix.sav, and as a number typed
// into the prefix dialog: a value or a message, never a crash, a hang or
// unbounded memory. Numbers read are written back in print form and read
// again the same.
#include "dialer/SettingsText.h"
#include "platform/core/Error.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray content(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const int count : {1, 3}) {
        try {
            const QList<qint16> numbers = dialer::readNumbers(content, count, QStringLiteral("Prefix.sav"));
            if (numbers.size() != count || dialer::readNumbers(dialer::printLine(numbers), count,
                                                               QStringLiteral("Prefix.sav")) != numbers) {
                std::fprintf(stderr, "numbers read did not read back the same\n");
                std::abort();
            }
        } catch (const platform::Error& error) {
            // A message quotes only a short excerpt of what it found.
            if (error.description().size() > 400) {
                std::fprintf(stderr, "a message as long as the file\n");
                std::abort();
            }
        }
    }
    qint16 value = 0;
    dialer::toInt16(QString::fromUtf8(content), value);
    return 0;
}
