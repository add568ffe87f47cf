#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class QIODevice;

namespace dav {

struct HttpReply {
    int status = 0;
    QList<std::pair<QByteArray, QByteArray>> headers;
    QByteArray body;
    bool keepsConnection = false; // HTTP/1.1, ended by its length or its last chunk, no "Connection: close"
    // The first header of that name (any case), or empty.
    QByteArray header(const QByteArray& name) const;
};

// Reads one HTTP/1.1 reply as its bytes arrive, whatever its status, within bounds: a body of at most `cap`
// bytes, lines and headers of some kB. It never takes more from the device than one byte past them, so a
// server that sends without end is stopped at the cap.
class HttpReplyReader {
public:
    enum class Outcome { More, Done, TooLarge, Broken };

    // `head`: the reply to a HEAD request, which has no body whatever its headers say.
    HttpReplyReader(qint64 cap, bool head) : cap_(cap), head_(head) {}
    // Takes what `in` holds now.
    Outcome read(QIODevice& in);
    // The connection ended after `in` was read: a body without a length ends here.
    Outcome closed(QIODevice& in);
    // Forgets all that came: the same request goes again.
    void restart() { *this = HttpReplyReader(cap_, head_); }
    // Whether any byte of the reply came.
    bool started() const { return started_; }
    HttpReply& reply() { return reply_; }
    // Why the reply is Broken.
    const QString& why() const { return why_; }

private:
    enum class State { Status, Headers, Body, ChunkSize, ChunkEnd, Trailers, Done };
    enum class Line { Whole, Partial, Failed };
    Line takeLine(QIODevice& in, QByteArray& line);
    Outcome line(const QByteArray& text);
    Outcome headersDone();
    Outcome broken(const QString& why);
    Outcome tooLarge();
    Outcome done();

    qint64 cap_;
    bool head_;
    State state_ = State::Status;
    Outcome outcome_ = Outcome::More; // once Done
    QByteArray line_;                 // a line not yet whole
    qint64 headerBytes_ = 0;          // of the status line and the headers
    qint64 left_ = -1; // bytes of the body or of the chunk still to come; -1: until the server closes
    bool chunked_ = false;
    bool http11_ = false;
    bool started_ = false;
    HttpReply reply_;
    QString why_;
};

} // namespace dav
