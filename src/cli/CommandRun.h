#pragma once

#include "cli/SyncProblem.h"
#include "exchange/Progress.h"
#include "platform/core/Error.h"

#include <QEventLoop>
#include <QSslCertificate>
#include <QTextStream>

namespace cli {

// One sync command, run on an event loop of its own: quorvel-book has no
// other. Whatever step ends it says how.
class CommandRun {
public:
    CommandRun(QTextStream& out, QTextStream& err) : out(out), err(err) {}

    // Starts the event loop unless the run already ended; returns its exit status.
    int exec() { return ended_ ? code_ : loop_.exec(); }
    void done() { end(0); }
    // Whether done or failed already: answers still arriving are for nobody.
    bool ended() const { return ended_; }
    void fail(const QString& what) {
        progress.end();
        err << "quorvel-book: sync: " << what << Qt::endl;
        end(1);
    }
    void fail(const platform::Error& e) { fail(e.description()); }
    void fail(const dav::Error& e) { fail(describe(e)); }
    // A failure handler for the book's, the files' or the server's errors.
    auto failer() {
        return [this](const auto& e) { fail(e); };
    }

    QTextStream& out;
    QTextStream& err;
    exchange::Progress progress; // ended before anything else is said

private:
    void end(int code) {
        code_ = code;
        ended_ = true;
        loop_.exit(code);
    }
    QEventLoop loop_;
    int code_ = 0;
    bool ended_ = false;
};

// The certificate authorities of a PEM file; throws platform::Error naming the file.
QList<QSslCertificate> readAuthorities(const QString& file);

} // namespace cli
