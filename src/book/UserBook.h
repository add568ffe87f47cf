#pragma once

#include <QString>

namespace book {

// The phone book the window opens and quorvel-book works on unless told
// otherwise: Quorvel.mdb beside the program, or in the user's data folder
// when the program's folder may not be written. There a user's first start
// places a copy of the shipped sample book; an existing book is never
// touched. When no copy can be made the path is still the answer, and
// opening it says what is missing.
QString userBook();

} // namespace book
