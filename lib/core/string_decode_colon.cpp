#include <string.h>

#include "core/err_internal.h"
#include "core/string_internal.h"

#include <vorl/str_util.h>

extern "C" int VLIBStrDecodeColon(const char *szSrc, char *szDst, int cbLimit) {
    size_t cbSrc = 0;
    if (!vorl::str::ColonArgsOk(szSrc, szDst, cbLimit, &cbSrc)) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    if (cbSrc > static_cast<size_t>(cbLimit)) {
        VORL_ERR(ERR_BUFFER_TOO_SMALL);
        return -1;
    }
    int n = 0;
    for (const char *p = szSrc; *p; ++p) {
        if (*p == ';') {
            if (p[1] == ',') {
                szDst[n++] = ':';
            } else if (p[1] == ';') {
                szDst[n++] = ';';
            } else {
                break;  // a lone ';' ends the text
            }
            ++p;
        } else {
            szDst[n++] = *p;
        }
    }
    szDst[n] = '\0';
    return n;
}
