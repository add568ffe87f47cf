#include "platform/comm/MSComm.h"

#include "platform/core/Error.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QStandardPaths>

namespace comm {

using platform::Error;
namespace err = platform::err;

MSComm::MSComm(QObject* parent) : QObject(parent) {
    connect(&port_, &QSerialPort::readyRead, this, &MSComm::receive);
    connect(&port_, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        if (error != QSerialPort::ResourceError || !port_.isOpen())
            return;
        const QString what = QStringLiteral("%1 is gone: %2.").arg(describe(device_), port_.errorString());
        port_.clearError();
        port_.close();
        heldOpen_ = false;
        emit PortLost(what);
    });
}

MSComm::~MSComm() = default;

QString MSComm::linkFolder() {
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return config.isEmpty() ? QString() : config + QStringLiteral("/quorvel/ports");
}

QString MSComm::devicePath(int port) { return device(port).path; }

MSComm::Device MSComm::device(int port) {
    const QString folder = linkFolder();
    if (!folder.isEmpty()) {
        const QFileInfo link(folder + QStringLiteral("/com") + QString::number(port));
        if (link.isSymLink()) {
            // Open the device itself: the port's lock file is named after the
            // path opened, and two links to one device must share it.
            const QString target = link.canonicalFilePath();
            return {target.isEmpty() ? link.symLinkTarget() : target, link.absoluteFilePath(),
                    !target.isEmpty()};
        }
        if (link.exists())
            return {link.absoluteFilePath(), QString(), true};
    }
    const QString path = QStringLiteral("/dev/ttyS") + QString::number(port - 1);
    return {path, QString(), QFileInfo::exists(path)};
}

QString MSComm::describe(const QString& device) const {
    return QStringLiteral("Com %1 (%2)").arg(commPort_).arg(device);
}

void MSComm::setCommPort(int port) {
    if (port < FirstPort || port > LastPort)
        throw Error(err::InvalidProperty, QStringLiteral("Com %1 is no port: the ports are Com %2 to Com %3.")
                                              .arg(port)
                                              .arg(FirstPort)
                                              .arg(LastPort));
    if (port_.isOpen() && port != commPort_)
        throw Error(
            PortAlreadyOpen,
            QStringLiteral("%1 is open; close it before choosing another port.").arg(describe(device_)));
    commPort_ = port;
}

void MSComm::setSettings(const QString& text) {
    const std::optional<LineSettings> line = parseLineSettings(text);
    if (!line)
        throw Error(err::InvalidProperty,
                    QStringLiteral("\"%1\" are no line settings; they are written like \"9600, N, 8, 1\".")
                        .arg(text));
    if (port_.isOpen())
        apply(*line);
    line_ = *line;
    settingsText_ = text;
}

void MSComm::apply(const LineSettings& line) {
    // Before opening these only record the values; on an open port they
    // reach the device at once.
    if (!port_.setBaudRate(line.baud) || !port_.setParity(line.parity) || !port_.setDataBits(line.dataBits) ||
        !port_.setStopBits(line.stopBits) || !port_.setFlowControl(QSerialPort::NoFlowControl)) {
        const QString reason = port_.errorString();
        port_.clearError();
        throw Error(err::InvalidProperty, QStringLiteral("%1 does not take the settings \"%2\": %3.")
                                              .arg(describe(device_), settingsText_, reason));
    }
}

void MSComm::setHeld(bool held) {
    held_ = held;
    if (held)
        heldOpen_ = port_.isOpen();
    else if (!heldOpen_)
        port_.close();
}

void MSComm::setPortOpen(bool open) {
    if (held_ && port_.isOpen()) {
        if (open && heldOpen_)
            throw Error(PortAlreadyOpen, QStringLiteral("%1 is already open.").arg(describe(device_)));
        heldOpen_ = open;
        return;
    }
    if (!open) {
        port_.close();
        heldOpen_ = false;
        return;
    }
    if (port_.isOpen())
        throw Error(PortAlreadyOpen, QStringLiteral("%1 is already open.").arg(describe(device_)));
    // Never a port the user did not choose.
    if (commPort_ == NoPort)
        throw Error(err::PortOpenFailed, QStringLiteral("No modem port is chosen."));
    const QString device = devicePath(commPort_);
    port_.setPortName(device);
    apply(line_);
    // Read too: what the modem answers is kept for whoever asks.
    input_.clear();
    if (!port_.open(QIODevice::ReadWrite)) {
        QString reason = port_.errorString();
        // A lock held by another program comes back as a permission error;
        // when the device itself may be written, that is what it was.
        if (port_.error() == QSerialPort::PermissionError && QFileInfo(device).isWritable())
            reason = QStringLiteral("it is in use by another program (%1)").arg(reason);
        port_.clearError();
        throw Error(err::PortOpenFailed,
                    QStringLiteral("%1 cannot be opened: %2.").arg(describe(device), reason));
    }
    device_ = device;
    heldOpen_ = true;
}

void MSComm::setOutput(const QString& text) {
    if (!PortOpen() && commPort_ == NoPort)
        throw Error(err::PortNotOpen, QStringLiteral("No modem port is chosen."));
    if (!PortOpen())
        throw Error(err::PortNotOpen, QStringLiteral("%1 is not open.").arg(describe(devicePath(commPort_))));
    const QByteArray bytes = text.toLatin1();
    const auto failed = [&](const QString& reason) {
        // Drop what is left so that no half command reaches the modem later.
        port_.clear(QSerialPort::Output);
        port_.clearError();
        return Error(err::PortWriteFailed,
                     QStringLiteral("%1 cannot be written: %2.").arg(describe(device_), reason));
    };
    if (port_.write(bytes) != bytes.size())
        throw failed(port_.errorString());
    const QDeadlineTimer deadline(outputTimeoutMs_);
    while (port_.bytesToWrite() > 0) {
        if (deadline.hasExpired() || !port_.waitForBytesWritten(int(deadline.remainingTime()))) {
            if (port_.error() == QSerialPort::TimeoutError || deadline.hasExpired())
                throw failed(QStringLiteral("the port did not take it within %1 ms").arg(outputTimeoutMs_));
            throw failed(port_.errorString());
        }
    }
}

void MSComm::receive() {
    input_ += port_.readAll();
    // A device that talks and talks must not fill the memory.
    if (input_.size() > InBufferSize)
        input_.remove(0, input_.size() - InBufferSize);
    emit OnComm();
}

void MSComm::clearInput() {
    if (port_.isOpen()) {
        port_.readAll();
        port_.clear(QSerialPort::Input);
    }
    input_.clear();
}

QString MSComm::Input() {
    QString text = QString::fromLatin1(input_);
    input_.clear();
    return text;
}

} // namespace comm
