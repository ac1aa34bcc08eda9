// VLIBFileLineMatch: whether a line of a line file matches a pattern.
#include <string.h>

#include <string>
#include <string_view>

#include <vorl/conf.h>
#include <vorl/unicode.h>

#include "core/api_guard.h"

namespace {

// The upper-cased text, sized from the length the upper-casing answers
// (ß becomes SS: the result may be longer than its source). false when the
// text cannot be upper-cased.
bool Upper(const char *sz, std::string &out) {
    int cch = VLIBUnicodeUTF8StrUpper(sz, nullptr, 0);
    if (cch < 0) return false;
    out.assign(static_cast<size_t>(cch) + 1, '\0');
    if (VLIBUnicodeUTF8StrUpper(sz, out.data(), cch + 1) != cch) return false;
    out.resize(static_cast<size_t>(cch));
    return true;
}

bool Match(std::string_view line, std::string_view pattern, int flags) {
    // The suffix ends where the line ends, before its line feed.
    std::string_view body = line;
    if (!body.empty() && body.back() == '\n') body.remove_suffix(1);
    bool fPrefix = flags & VLIB_LINE_PREFIX, fSuffix = flags & VLIB_LINE_SUFFIX;
    if (fPrefix && !line.starts_with(pattern)) return false;
    if (fSuffix && !body.ends_with(pattern)) return false;
    if (fPrefix || fSuffix) return true;
    return line.find(pattern) != std::string_view::npos;
}

}  // namespace

int VLIBFileLineMatch(const char *szLine, const char *szPattern, int flags) {
    if (!szLine || !szPattern || flags < 0) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return 0;
    }
    if (szLine[0] == '#' || szLine[0] == ';') return 0;
    if (!(flags & VLIB_LINE_IGNORE_CASE)) return Match(szLine, szPattern, flags) ? 1 : 0;
    return vorl::Guard(0, [&] {
        std::string line, pattern;
        if (!Upper(szLine, line) || !Upper(szPattern, pattern)) return 0;
        // A pattern that upper-casing emptied would match every line.
        if (pattern.empty() && *szPattern) return 0;
        return Match(line, pattern, flags) ? 1 : 0;
    });
}
