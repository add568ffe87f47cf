// Anything a modem (or a device pretending to be one) prints on the line,
// in pieces of any size: the reader never crashes, keeps its memory bounded,
// gives at most one caller ID a call, and every caller ID it gives holds only
// short printable values, a number of number signs only.
#include "dialer/RingReader.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>

namespace {
[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

bool printable(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    return text.size() <= dialer::RingReader::MaxValue;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    dialer::RingReader reader;
    std::set<int> told;
    qint64 now = 0;
    // Each first byte says how long the next piece is and how much time passed before it.
    size_t at = 0;
    auto check = [&](const std::vector<dialer::RingEvent>& events) {
        for (const dialer::RingEvent& e : events) {
            if (e.kind != dialer::RingEvent::Kind::CallerId)
                continue;
            if (!told.insert(e.call).second)
                fail("two caller IDs for one call");
            if (!printable(e.caller.number) || !printable(e.caller.name) || !printable(e.caller.date) ||
                !printable(e.caller.time))
                fail("a caller ID value is not short printable text");
            for (const QChar c : e.caller.number)
                if (!c.isDigit() && !QStringView(u"+-() *#").contains(c))
                    fail("a number holds a sign no number has");
        }
    };
    while (at < size) {
        const uint8_t head = data[at++];
        const size_t piece = std::min<size_t>(head & 0x3F, size - at);
        now += (head >> 6) * 3000;
        check(reader.feed(QByteArrayView(reinterpret_cast<const char*>(data + at), qsizetype(piece)), now));
        at += piece;
    }
    check(reader.flush());
    return 0;
}
