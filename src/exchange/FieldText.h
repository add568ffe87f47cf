#pragma once

#include <QString>
#include <QStringView>

#include <initializer_list>

namespace exchange {

// The parts that are not empty, joined.
QString joinNonEmpty(std::initializer_list<QStringView> parts, QStringView separator = u", ");

// "Family, Given" as the phone book writes names; one part alone when the
// other is empty.
QString composeName(QStringView family, QStringView given);
// The parts of a Name, such that composeName gives it back unchanged; a name
// that does not split that way is all family name.
void splitName(const QString& name, QString& family, QString& given);

// A value as it goes into a CSV file that a spreadsheet may open. One that
// the spreadsheet would run as a formula (it begins with '=', '@', a tab, a
// CR, or '+' or '-' with more than a number behind) goes behind an
// apostrophe, as spreadsheets mark text themselves; so does one that begins
// with an apostrophe, so that reading drops exactly the one added.
QString toSpreadsheetSafe(const QString& value);
// The value as it was before toSpreadsheetSafe; others as they are.
QString fromSpreadsheetSafe(QString value);

// "Street, City, State Zip", leaving out empty parts.
QString composeAddress(QStringView street, QStringView city, QStringView state, QStringView zip);
struct AddressParts {
    QString street, city, state, zip;
};
// The parts of an Address of the exact form "Street, City, ST 12345", such
// that composeAddress gives it back unchanged; any other is all street.
AddressParts splitAddress(const QString& address);

} // namespace exchange
