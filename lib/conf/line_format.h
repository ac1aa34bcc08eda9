// The line formats of the key/value and section writers ("%s=%s\n",
// "%s=\"%s\"\n", "\t%s=\"%s\"\n"): a caller's format is applied here, never
// handed to printf, so a stray conversion cannot read or write memory.
#pragma once

#include <string>
#include <string_view>

namespace vorl {

// Whether szFormat holds exactly two conversions, both "%s" (key first,
// value second), and otherwise only plain text and "%%".
bool LineFormatValid(const char *szFormat);

// The line the format makes from key and value, byte for byte what printf
// would make. The format must be valid (LineFormatValid).
std::string LineFormatApply(const char *szFormat, std::string_view key, std::string_view value);

// Whether a text holds a line feed or a carriage return: written into a
// line file it would start another line.
bool HasLineBreak(std::string_view sz);

}  // namespace vorl
