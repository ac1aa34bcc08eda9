// How the key/value operations read one line of a key="value" file.
#pragma once

#include <string>
#include <string_view>

namespace vorl {

// Whether a line carries the key, by the rule of VLIBFileLineKeyMatch: not a
// comment (first character '#' or ';'), and its first non-empty '='-piece,
// trimmed, equals the key byte for byte. The test runs on a copy in scratch
// (kept by the caller across lines), so the line stays whole.
bool KeyLineMatch(std::string &scratch, std::string_view line, std::string_view key);

// The key text of a line exactly as it stands before its '=' (its first
// non-empty '='-piece, untrimmed). A line without '=' gives its text without
// the line feed or carriage return that end it.
std::string KeyLineKeyText(std::string_view line);

}  // namespace vorl
