// Line formats with two "%s" conversions, key first and value second
// ("%s=%s\n", "%s=\"%s\"\n"), written without handing a caller's format to
// printf: anything but two plain "%s" and literal "%%" is refused.
#pragma once

#include <stdio.h>

#include <string>

namespace vorl {

class KeyValueFormat {
public:
    // false when the format holds another conversion, or not exactly two
    // "%s". With fKeyValueLine the text between them must hold '=' and the
    // text after the second must hold a line feed.
    bool Parse(const char *szFormat, bool fKeyValueLine);
    std::string Format(const char *szKey, const char *szValue) const;
    // false when the stream reports a write error.
    bool Write(FILE *fp, const char *szKey, const char *szValue) const;

private:
    std::string before_, between_, after_;
};

}  // namespace vorl
