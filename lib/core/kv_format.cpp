#include "core/kv_format.h"

namespace vorl {

bool KeyValueFormat::Parse(const char *szFormat, bool fKeyValueLine) {
    std::string *pieces[3] = {&before_, &between_, &after_};
    for (std::string *piece : pieces)
        piece->clear();
    int n = 0;
    for (const char *p = szFormat; *p; ++p) {
        if (*p != '%') {
            pieces[n]->push_back(*p);
            continue;
        }
        if (p[1] == '%') {
            pieces[n]->push_back('%');
            ++p;
        } else if (p[1] == 's' && n < 2) {
            ++n;
            ++p;
        } else {
            return false;
        }
    }
    if (n != 2) return false;
    if (fKeyValueLine &&
        (between_.find('=') == std::string::npos || after_.find('\n') == std::string::npos))
        return false;
    return true;
}

std::string KeyValueFormat::Format(const char *szKey, const char *szValue) const {
    std::string line = before_;
    line += szKey;
    line += between_;
    line += szValue;
    line += after_;
    return line;
}

bool KeyValueFormat::Write(FILE *fp, const char *szKey, const char *szValue) const {
    return fputs(before_.c_str(), fp) >= 0 && fputs(szKey, fp) >= 0 &&
           fputs(between_.c_str(), fp) >= 0 && fputs(szValue, fp) >= 0 &&
           fputs(after_.c_str(), fp) >= 0;
}

}  // namespace vorl
