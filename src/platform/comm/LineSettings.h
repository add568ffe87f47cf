#pragma once

#include <QSerialPort>
#include <QString>

#include <optional>

namespace comm {

// The line settings of a port, written as "baud, parity, data bits, stop bits"
// ("9600, N, 8, 1"); blanks around the parts do not matter.
struct LineSettings {
    qint32 baud = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};

// Empty when the text is not of that form.
std::optional<LineSettings> parseLineSettings(const QString& text);

} // namespace comm
