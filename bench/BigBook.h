#pragma once

#include <QString>

// Makes (once) a phone book of `contacts` made-up contacts in a scratch
// folder and returns its path. Names are "Family, Given" from fixed lists,
// numbered so that many share a family name, as in a real book.
QString bigPhoneBook(int contacts);
