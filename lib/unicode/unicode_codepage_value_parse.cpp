#include <string.h>

#include "unicode/unicode_internal.h"

namespace vorl {

namespace {
struct CodePage {
    const char *szName;
    int windows;
    int mac;
};
const CodePage kCodePages[] = {
    {"utf8", 0, 0}, {"enu", 15, 2},  {"fre", 15, 4},  {"ger", 15, 4}, {"ita", 15, 4},
    {"spn", 15, 4}, {"cht", 12, 12}, {"chs", 10, 10}, {"jpn", 9, 9},  {"krn", 11, 11},
    {"ptb", 15, 4}, {"rus", 14, 8},  {"dan", 15, 4},  {"nor", 15, 4}, {"sve", 15, 4},
    {"nld", 15, 4}, {"plk", 13, 5},  {"ptg", 15, 4},  {"hun", 13, 5}, {"trk", 17, 6},
    {"csy", 13, 5},
};
}  // namespace

bool UnicodeCodepageValueParse(const char *szName, int *pWindows, int *pMac) {
    for (const CodePage &cp : kCodePages) {
        if (strcmp(cp.szName, szName) == 0) {
            *pWindows = cp.windows;
            *pMac = cp.mac;
            return true;
        }
    }
    return false;
}

}  // namespace vorl
