#pragma once

#include <string>

// Creates the phone book file `target`, empty and of the current version,
// then adds the contacts that the SQL in `samplesFile` inserts (none when it
// is empty), unless `target` already exists: an existing file is never
// touched. The new file appears whole or not at all. Returns an empty string
// on success (or when the file existed), else the reason it failed.
std::string makePhoneBook(const std::string& samplesFile, const std::string& target, bool* created = nullptr);
