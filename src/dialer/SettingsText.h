#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

namespace dialer {

// How a text reads as a signed 16-bit whole number: an optional sign and
// decimal digits, nothing else.
enum class NumberText { Valid, NotANumber, OutOfRange };
NumberText toInt16(QStringView text, qint16& value);

// Reads `count` numbers from the content of a settings file. Before each
// number, blanks, CRs and LFs are skipped; a number runs up to a blank, comma,
// CR, LF or the end, and one comma after it (blanks around it allowed) is
// taken as its separator. What follows the last number is ignored. Raises
// platform::Error naming `fileName` when the content runs out, a number is
// out of range or a text is not a number.
QList<qint16> readNumbers(const QByteArray& content, int count, const QString& fileName);

// The numbers in print form (a blank or a minus, the digits, a blank), then CR LF.
QByteArray printLine(const QList<qint16>& numbers);

} // namespace dialer
