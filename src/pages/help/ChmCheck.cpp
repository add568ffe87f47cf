#include "pages/help/ChmCheck.h"

#include "platform/core/AppPath.h"

#include <utility>

namespace help {
namespace {
// The reader writes a line at least every megabyte or object; this long
// without one, it is stuck in a loop on a damaged file.
constexpr int StallMs = 10000;

QString& program() {
    static QString path;
    return path;
}
} // namespace

QString checkProgram() {
    return program().isEmpty() ? platform::privateFile(QStringLiteral("quorvel-chmcheck")) : program();
}

void setCheckProgram(const QString& path) { program() = path; }

ChmCheck::ChmCheck(const QString& path, QObject* parent) : QObject(parent) {
    stalled_.setSingleShot(true);
    stalled_.setInterval(StallMs);
    connect(&stalled_, &QTimer::timeout, this, [this] { end(Outcome::Damaged); });
    // Only the signs of life count; what was read is of no further use.
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    connect(&process_, &QProcess::readyReadStandardOutput, this, [this] {
        process_.readAllStandardOutput();
        stalled_.start();
    });
    connect(&process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            end(Outcome::NoChecker);
    });
    connect(&process_, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
        end(status == QProcess::NormalExit && code == 0 ? Outcome::Sound : Outcome::Damaged);
    });
    process_.setStandardInputFile(QProcess::nullDevice());
    process_.setStandardErrorFile(QProcess::nullDevice());
    process_.start(checkProgram(), {path});
    stalled_.start();
}

ChmCheck::~ChmCheck() {
    ended_ = true;
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(1000);
    }
}

void ChmCheck::end(Outcome outcome) {
    if (std::exchange(ended_, true))
        return;
    stalled_.stop();
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(1000); // killed, it ends at once
    }
    emit finished(outcome);
}

} // namespace help
