// Any bytes as a server's HTTP reply, arriving in pieces of any size: the reader ends in a reply, a refusal
// or a wish for more, never a crash, a hang or unbounded memory; it never holds more than the cap and a byte.
#include "sync/dav/HttpReply.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    using Outcome = dav::HttpReplyReader::Outcome;
    // The first byte sets how the reply is cut as it arrives; the rest is the reply.
    const qsizetype piece = 1 + data[0] % 64;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    constexpr qint64 cap = 4096;
    dav::HttpReplyReader reader(cap, (data[0] & 0x80) != 0);
    QBuffer in;
    in.open(QIODevice::ReadWrite);
    Outcome outcome = Outcome::More;
    for (qsizetype at = 0; at < bytes.size() && outcome == Outcome::More; at += piece) {
        // New bytes go after those not read yet, as on a socket.
        const qint64 unread = in.pos();
        in.seek(in.size());
        in.write(bytes.mid(at, piece));
        in.seek(unread);
        outcome = reader.read(in);
    }
    if (outcome == Outcome::More)
        outcome = reader.closed(in);
    const qsizetype held = reader.reply().body.size();
    if (held > cap + 1 || (outcome == Outcome::Done && held > cap) || outcome == Outcome::More)
        std::abort();
    return 0;
}
