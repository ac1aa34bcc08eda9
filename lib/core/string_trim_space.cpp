#include <string.h>

#include "core/err_internal.h"

#include <vorl/str_util.h>

namespace {
bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
}  // namespace

extern "C" int VLIBStrTrimSpace(char *szSrc, char *szDst) {
    if (!szSrc) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    size_t len = strlen(szSrc);
    // A destination that starts inside the text after its first byte would
    // be overwritten before it is read.
    if (szDst && szDst > szSrc && szDst <= szSrc + len) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    size_t begin = 0, end = len;
    while (begin < end && IsSpace(szSrc[begin]))
        ++begin;
    while (end > begin && IsSpace(szSrc[end - 1]))
        --end;
    // One pair of enclosing double quotes goes; what they enclose stays as it is.
    if (end - begin >= 2 && szSrc[begin] == '"' && szSrc[end - 1] == '"') {
        ++begin;
        --end;
    }
    char *szOut = szDst ? szDst : szSrc;
    memmove(szOut, szSrc + begin, end - begin);
    szOut[end - begin] = '\0';
    return static_cast<int>(end - begin);
}
