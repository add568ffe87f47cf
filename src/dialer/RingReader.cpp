#include "dialer/RingReader.h"

#include <QRegularExpression>

#include <algorithm>

namespace dialer {
namespace {
bool isNumberChar(char c) { return (c >= '0' && c <= '9') || QByteArrayView("+-() *#").contains(c); }

bool isPrintable(const QByteArray& text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return false;
    return true;
}
} // namespace

std::vector<RingEvent> RingReader::feed(QByteArrayView bytes, qint64 nowMs) {
    std::vector<RingEvent> out;
    for (const char c : bytes) {
        if (c != '\r' && c != '\n') {
            lastEnd_ = 0;
            if (overlong_)
                continue;
            if (line_.size() >= MaxLine) {
                // Longer than any line a modem prints: the block it belongs to is not believed.
                overlong_ = true;
                line_.clear();
                if (fields_ > 0)
                    malformed_ = true;
                continue;
            }
            line_ += c;
            continue;
        }
        // CR LF (or LF CR) ends one line; a line end alone on its line is a blank line.
        if (line_.isEmpty() && !overlong_ && lastEnd_ != 0 && c != lastEnd_) {
            lastEnd_ = 0;
            continue;
        }
        lastEnd_ = c;
        if (!overlong_)
            line(line_, nowMs, out);
        line_.clear();
        overlong_ = false;
    }
    return out;
}

std::vector<RingEvent> RingReader::flush() {
    std::vector<RingEvent> out;
    endBlock(out);
    return out;
}

void RingReader::line(const QByteArray& raw, qint64 nowMs, std::vector<RingEvent>& out) {
    const QByteArray text = raw.trimmed();
    // Some modems put blank lines inside a block too: they end nothing.
    if (text.isEmpty())
        return;
    const QByteArray upper = text.toUpper();
    if (upper == "RING") {
        endBlock(out);
        const bool first = call_ == 0 || nowMs - lastRingMs_ > RingGapMs || nowMs < lastRingMs_;
        if (first) {
            ++call_;
            callHasId_ = false;
        }
        lastRingMs_ = nowMs;
        out.push_back({RingEvent::Kind::Ring, call_, first, {}});
        return;
    }
    // Field lines: "KEY = value", or several on one line.
    static const QRegularExpression keys(QStringLiteral("\\b(DATE|TIME|NMBR|NAME|DDN_NMBR|MESG)\\s*=\\s*"));
    const QString line = QString::fromLatin1(text);
    QRegularExpressionMatchIterator it = keys.globalMatch(line);
    if (!it.hasNext() || keys.match(line).capturedStart() != 0) {
        // The echo, OK, CONNECT and the like belong to no block, and end one.
        endBlock(out);
        return;
    }
    std::vector<QRegularExpressionMatch> found;
    while (it.hasNext())
        found.push_back(it.next());
    for (std::size_t i = 0; i < found.size(); ++i) {
        const qsizetype from = found[i].capturedEnd();
        const qsizetype to = i + 1 < found.size() ? found[i + 1].capturedStart() : line.size();
        field(found[i].captured(1).toLatin1(), line.mid(from, to - from).trimmed().toLatin1());
    }
    // The number and the name told: nothing more is waited for.
    if (nameSeen_ && (!block_.number.isEmpty() || block_.withheld != CallerId::Withheld::No))
        endBlock(out);
}

void RingReader::field(const QByteArray& key, const QByteArray& value) {
    ++fields_;
    if (value.size() > MaxValue || !isPrintable(value)) {
        malformed_ = true;
        return;
    }
    if (key == "DATE" || key == "TIME") {
        const bool digits = value.size() == 4 && std::all_of(value.begin(), value.end(),
                                                             [](char c) { return c >= '0' && c <= '9'; });
        if (!digits)
            malformed_ = true;
        (key == "DATE" ? block_.date : block_.time) = QString::fromLatin1(value);
    } else if (key == "NMBR") {
        if (value == "P")
            block_.withheld = CallerId::Withheld::Private;
        else if (value == "O")
            block_.withheld = CallerId::Withheld::OutOfArea;
        else if (!value.isEmpty() && std::all_of(value.begin(), value.end(), isNumberChar))
            block_.number = QString::fromLatin1(value);
        else
            malformed_ = true;
    } else if (key == "NAME") {
        nameSeen_ = true;
        // "P" and "O" stand for a name withheld, not a name.
        if (value != "P" && value != "O")
            block_.name = QString::fromLatin1(value);
    }
    // DDN_NMBR (the number dialed) and MESG (what the modem could not read) tell nothing of the caller.
}

void RingReader::endBlock(std::vector<RingEvent>& out) {
    const bool told =
        block_.withheld != CallerId::Withheld::No || !block_.number.isEmpty() || !block_.name.isEmpty();
    if (fields_ > 0 && !malformed_ && told && !callHasId_) {
        // A block before any ring (a modem that prints it first) starts the call.
        if (call_ == 0)
            ++call_;
        callHasId_ = true;
        out.push_back({RingEvent::Kind::CallerId, call_, false, block_});
    }
    block_ = {};
    fields_ = 0;
    nameSeen_ = false;
    malformed_ = false;
}

} // namespace dialer
