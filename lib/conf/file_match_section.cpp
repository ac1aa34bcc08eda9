// VLIBFileMatchSection: whether a line is the header of a named section.
#include <string.h>

#include <vorl/conf.h>

#include "core/err_internal.h"

namespace {
bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
}  // namespace

int VLIBFileMatchSection(const char *szLine, int cbLine, const char *szName) {
    if (!szLine || !szName) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    size_t cbName = strlen(szName);
    size_t cb = cbLine > 0 ? static_cast<size_t>(cbLine) : 0;
    // "[", the name, "]", then only whitespace.
    if (cb < cbName + 2 || szLine[0] != '[' || memcmp(szLine + 1, szName, cbName) != 0 ||
        szLine[cbName + 1] != ']')
        return 0;
    for (size_t i = cbName + 2; i < cb; ++i)
        if (!IsSpace(szLine[i])) return 0;
    return 1;
}
