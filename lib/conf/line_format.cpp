// Applying the writers' line formats.
#include "conf/line_format.h"

namespace vorl {

bool LineFormatValid(const char *szFormat) {
    if (!szFormat) return false;
    int nConv = 0;
    for (const char *p = szFormat; *p; ++p) {
        if (*p != '%') continue;
        ++p;
        if (*p == '%') continue;
        if (*p != 's') return false;
        ++nConv;
    }
    return nConv == 2;
}

std::string LineFormatApply(const char *szFormat, std::string_view key, std::string_view value) {
    std::string line;
    line.reserve(key.size() + value.size() + 16);
    int nConv = 0;
    for (const char *p = szFormat; *p; ++p) {
        if (*p != '%') {
            line.push_back(*p);
            continue;
        }
        ++p;
        if (*p == '%') {
            line.push_back('%');
        } else {
            line.append(nConv++ == 0 ? key : value);
        }
    }
    return line;
}

bool HasLineBreak(std::string_view sz) {
    return sz.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace vorl
