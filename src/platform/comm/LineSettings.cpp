#include "platform/comm/LineSettings.h"

#include <QStringList>

namespace comm {
namespace {
std::optional<QSerialPort::Parity> parity(const QString& part) {
    if (part.compare(QLatin1String("N"), Qt::CaseInsensitive) == 0)
        return QSerialPort::NoParity;
    if (part.compare(QLatin1String("E"), Qt::CaseInsensitive) == 0)
        return QSerialPort::EvenParity;
    if (part.compare(QLatin1String("O"), Qt::CaseInsensitive) == 0)
        return QSerialPort::OddParity;
    return std::nullopt;
}

std::optional<QSerialPort::StopBits> stopBits(const QString& part) {
    if (part == QLatin1String("1"))
        return QSerialPort::OneStop;
    if (part == QLatin1String("1.5"))
        return QSerialPort::OneAndHalfStop;
    if (part == QLatin1String("2"))
        return QSerialPort::TwoStop;
    return std::nullopt;
}

bool allDigits(const QString& part) {
    if (part.isEmpty())
        return false;
    for (QChar c : part)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}
} // namespace

std::optional<LineSettings> parseLineSettings(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return std::nullopt;
    const QString baudText = parts[0].trimmed();
    const QString dataText = parts[2].trimmed();
    if (!allDigits(baudText) || !allDigits(dataText) || baudText.size() > 7)
        return std::nullopt;
    const int baud = baudText.toInt();
    const int data = dataText.toInt();
    const auto p = parity(parts[1].trimmed());
    const auto s = stopBits(parts[3].trimmed());
    if (baud <= 0 || data < 5 || data > 8 || !p || !s)
        return std::nullopt;
    return LineSettings{baud, *p, static_cast<QSerialPort::DataBits>(data), *s};
}

} // namespace comm
