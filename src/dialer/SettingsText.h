#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

namespace dialer {

// How a text reads as a signed 16-bit whole number, in a settings file and in
// the prefix dialog alike: blanks around it, an optional sign, decimal digits
// and an optional fraction, which is rounded half to even ("2.5" is 2, "3.5" is 4).
enum class NumberText { Valid, NotANumber, OutOfRange };
NumberText toInt16(QStringView text, qint16& value);

// A settings file is one short line; anything larger is no settings file,
// and is never read further than this.
inline constexpr qsizetype SettingsFileLimit = 256;

// Reads `count` numbers from the content of a settings file. Before each
// number, blanks, CRs and LFs are skipped; a number runs up to a blank, comma,
// CR, LF or the end, and one comma after it (blanks around it allowed) is
// taken as its separator. What follows the last number is ignored. Raises
// platform::Error naming `fileName` when the content is larger than
// SettingsFileLimit, runs out, or holds a number out of range or a text that
// is not a number (quoted in part only).
QList<qint16> readNumbers(const QByteArray& content, int count, const QString& fileName);

// The numbers in print form (a blank or a minus, the digits, a blank), then CR LF.
QByteArray printLine(const QList<qint16>& numbers);

} // namespace dialer
