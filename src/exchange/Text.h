#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace exchange {

// Text in the file's own bytes: UTF-8, or, when the bytes are not valid
// UTF-8, the Windows Western code page older address books write.
QString decodeText(QByteArrayView bytes);
// Text in a named character set; nothing when the name is unknown.
std::optional<QString> decodeText(QByteArrayView bytes, QByteArrayView charset);

QByteArray decodeQuotedPrintable(QByteArrayView bytes);

} // namespace exchange
