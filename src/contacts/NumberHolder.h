#pragma once

#include <QString>
#include <QStringList>

#include <chrono>

namespace contacts {

// The contact whose phone or mobile number has one of `digitForms` (a number
// compared by its digits alone), as "Name (Phone)"; an empty text when the
// book holds none. The book is read on a connection and a thread of its own
// while the window goes on drawing; a book too large to read within
// `patience` gives no name rather than a frozen window.
QString numberHolder(const QString& bookPath, const QStringList& digitForms,
                     std::chrono::milliseconds patience = std::chrono::milliseconds(4000));

} // namespace contacts
