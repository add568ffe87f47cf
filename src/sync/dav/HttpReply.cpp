#include "sync/dav/HttpReply.h"

#include <QIODevice>

#include <algorithm>
#include <utility>

namespace dav {

namespace {
constexpr qint64 MaxLine = 64 * 1024;         // a status line, a header, a chunk size
constexpr qint64 MaxHeaderBytes = 256 * 1024; // all of one reply's headers

bool hasToken(const QByteArray& value, const QByteArray& token) {
    const auto parts = value.split(',');
    return std::any_of(parts.begin(), parts.end(),
                       [&](const QByteArray& part) { return part.trimmed().toLower() == token; });
}
} // namespace

QByteArray HttpReply::header(const QByteArray& name) const {
    for (const auto& [key, value] : headers)
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    return {};
}

HttpReplyReader::Outcome HttpReplyReader::read(QIODevice& in) {
    started_ = started_ || in.bytesAvailable() > 0;
    while (state_ != State::Done && in.bytesAvailable() > 0) {
        if (state_ == State::Body) {
            qint64 want = std::min(in.bytesAvailable(), cap_ + 1 - reply_.body.size());
            if (left_ >= 0)
                want = std::min(want, left_);
            // Never more than one byte past the cap, however much is waiting.
            const QByteArray part = in.read(want);
            reply_.body += part;
            if (reply_.body.size() > cap_)
                return tooLarge();
            if (left_ >= 0 && (left_ -= part.size()) == 0) {
                if (!chunked_)
                    return done();
                state_ = State::ChunkEnd;
            }
            continue;
        }
        QByteArray text;
        const Line got = takeLine(in, text);
        if (got == Line::Partial)
            return Outcome::More;
        if (got == Line::Failed)
            return outcome_;
        if (const Outcome now = line(text); now != Outcome::More)
            return now;
    }
    return state_ == State::Done ? outcome_ : Outcome::More;
}

HttpReplyReader::Outcome HttpReplyReader::closed(QIODevice& in) {
    if (const Outcome now = read(in); now != Outcome::More)
        return now;
    if (state_ == State::Body && left_ < 0 && !chunked_)
        return done();
    return broken(QStringLiteral("the server closed the connection before its reply was whole"));
}

// A whole line into `line`, without its end.
HttpReplyReader::Line HttpReplyReader::takeLine(QIODevice& in, QByteArray& line) {
    line_ += in.readLine(MaxLine + 2 - line_.size()); // enough to tell a line too long
    if (!line_.endsWith('\n')) {
        if (line_.size() <= MaxLine)
            return Line::Partial;
        broken(QStringLiteral("the server sent a line longer than %1 kB").arg(MaxLine >> 10));
        return Line::Failed;
    }
    if (state_ == State::Status || state_ == State::Headers)
        headerBytes_ += line_.size();
    line = std::exchange(line_, {}).trimmed();
    if (headerBytes_ <= MaxHeaderBytes)
        return Line::Whole;
    tooLarge();
    return Line::Failed;
}

HttpReplyReader::Outcome HttpReplyReader::line(const QByteArray& text) {
    switch (state_) {
    case State::Status: {
        const QList<QByteArray> parts = text.split(' ');
        bool ok = false;
        reply_.status = parts.size() > 1 && parts[0].startsWith("HTTP/1.") ? parts[1].toInt(&ok) : 0;
        if (!ok || reply_.status < 100 || reply_.status > 999)
            return broken(QStringLiteral("the server's reply is not HTTP"));
        http11_ = parts[0] == "HTTP/1.1";
        state_ = State::Headers;
        break;
    }
    case State::Headers:
        if (text.isEmpty())
            return headersDone();
        if (const qsizetype colon = text.indexOf(':'); colon > 0)
            reply_.headers.append({text.left(colon).trimmed(), text.mid(colon + 1).trimmed()});
        break;
    case State::ChunkSize: {
        bool ok = false;
        const qsizetype extension = text.indexOf(';');
        left_ = (extension < 0 ? text : text.left(extension)).trimmed().toLongLong(&ok, 16);
        if (!ok || left_ < 0)
            return broken(QStringLiteral("the server's reply has a broken chunk"));
        state_ = left_ == 0 ? State::Trailers : State::Body;
        break;
    }
    case State::ChunkEnd:
        state_ = State::ChunkSize;
        break;
    case State::Trailers:
        if (text.isEmpty())
            return done();
        break;
    case State::Body:
    case State::Done:
        break;
    }
    return Outcome::More;
}

HttpReplyReader::Outcome HttpReplyReader::headersDone() {
    if (reply_.status < 200) { // "100 Continue" and the like: the real reply follows
        reply_ = {};
        headerBytes_ = 0;
        state_ = State::Status;
        return Outcome::More;
    }
    if (head_ || reply_.status == 204 || reply_.status == 304)
        return done();
    chunked_ = hasToken(reply_.header("Transfer-Encoding"), "chunked");
    if (chunked_) {
        state_ = State::ChunkSize;
        return Outcome::More;
    }
    const QByteArray length = reply_.header("Content-Length");
    bool ok = true;
    left_ = length.isEmpty() ? -1 : length.toLongLong(&ok);
    if (!ok || left_ < -1)
        return broken(QStringLiteral("the server's reply has a broken length"));
    if (left_ > cap_)
        return tooLarge();
    if (left_ == 0)
        return done();
    state_ = State::Body;
    return Outcome::More;
}

HttpReplyReader::Outcome HttpReplyReader::broken(const QString& why) {
    why_ = why;
    state_ = State::Done;
    return outcome_ = Outcome::Broken;
}

HttpReplyReader::Outcome HttpReplyReader::tooLarge() {
    state_ = State::Done;
    return outcome_ = Outcome::TooLarge;
}

HttpReplyReader::Outcome HttpReplyReader::done() {
    reply_.keepsConnection =
        http11_ && !(state_ == State::Body && left_ < 0) && !hasToken(reply_.header("Connection"), "close");
    state_ = State::Done;
    return outcome_ = Outcome::Done;
}

} // namespace dav
