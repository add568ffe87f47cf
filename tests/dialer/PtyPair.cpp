#include "PtyPair.h"

#include "platform/comm/MSComm.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <sys/prctl.h>

namespace testing {

ConfigHome::ConfigHome() : previous_(qgetenv("XDG_CONFIG_HOME")) {
    qputenv("XDG_CONFIG_HOME", dir_.path().toLocal8Bit());
}

ConfigHome::~ConfigHome() { qputenv("XDG_CONFIG_HOME", previous_); }

bool ConfigHome::linkComPort(int n, const QString& target) const {
    const QString folder = comm::MSComm::linkFolder();
    if (!folder.startsWith(dir_.path()) || !QDir().mkpath(folder))
        return false;
    const QString link = folder + QStringLiteral("/com") + QString::number(n);
    QFile::remove(link);
    return QFile::link(target, link);
}

PtyPair::PtyPair() {
    socat_.setWorkingDirectory(dir_.path());
    socat_.setProcessChannelMode(QProcess::MergedChannels);
    // A test that crashes must not leave socat behind.
    socat_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    socat_.start(QStringLiteral("socat"),
                 {QStringLiteral("-d"), QStringLiteral("-d"), QStringLiteral("pty,raw,echo=0,link=A"),
                  QStringLiteral("pty,raw,echo=0,link=B")});
    // socat says so once both ends and their links exist.
    const QDeadlineTimer deadline(10000);
    QByteArray said;
    while (!said.contains("starting data transfer loop") && !deadline.hasExpired() &&
           socat_.waitForReadyRead(int(deadline.remainingTime())))
        said += socat_.readAll();
    if (!said.contains("starting data transfer loop")) {
        qWarning("socat did not start: %s", said.constData());
        return;
    }
    modem_.setPortName(QFileInfo(dir_.filePath(QStringLiteral("B"))).canonicalFilePath());
    ready_ = modem_.open(QIODevice::ReadWrite);
    if (!ready_)
        qWarning("the modem's end cannot be opened: %s", qPrintable(modem_.errorString()));
}

PtyPair::~PtyPair() { unplug(); }

void PtyPair::unplug() {
    if (socat_.state() == QProcess::NotRunning)
        return;
    modem_.close();
    resume();
    socat_.terminate();
    if (!socat_.waitForFinished(5000))
        socat_.kill();
    socat_.waitForFinished(5000);
}

QString PtyPair::programEnd() const { return dir_.filePath(QStringLiteral("A")); }

QString PtyPair::programDevice() const { return QFileInfo(programEnd()).canonicalFilePath(); }

QByteArray PtyPair::read(qsizetype count) {
    QByteArray got;
    const QDeadlineTimer deadline(10000);
    while (got.size() < count) {
        got += modem_.read(count - got.size());
        if (got.size() < count && !modem_.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))))
            break;
    }
    return got;
}

bool PtyPair::answer(const QByteArray& bytes) {
    if (modem_.write(bytes) != bytes.size())
        return false;
    while (modem_.bytesToWrite() > 0)
        if (!modem_.waitForBytesWritten(10000))
            return false;
    return true;
}

void PtyPair::pause() {
    if (socat_.processId() > 0)
        ::kill(pid_t(socat_.processId()), SIGSTOP);
}

void PtyPair::resume() {
    if (socat_.processId() > 0)
        ::kill(pid_t(socat_.processId()), SIGCONT);
}

} // namespace testing
