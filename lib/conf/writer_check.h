// Checks the writers of key/value and section files make before they write:
// a line feed or carriage return in a key, value or section name would
// start a line of its own in the file.
#pragma once

#include <vorl/sz_hash.h>

namespace vorl {

// Whether the text holds no line feed and no carriage return (NULL passes).
bool TextFitsOnLine(const char *sz);

// Whether every key and value of the hash fits on a line (NULL passes).
bool HashFitsOnLines(const SzHash *pHash);

}  // namespace vorl
