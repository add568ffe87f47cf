#pragma once

#include <string>

// Creates the database file `target` from the SQL in `schemaFile`, unless
// `target` already exists: an existing file is never touched. The new file
// appears whole or not at all. Returns an empty string on success (or when
// the file existed), else the reason it failed.
std::string makePhoneBook(const std::string& schemaFile, const std::string& target, bool* created = nullptr);
