#include <string.h>

#include "core/err_internal.h"
#include "core/string_internal.h"

#include <vorl/str_util.h>

extern "C" int VLIBStrEncodeColon(const char *szSrc, char *szDst, int cbLimit) {
    size_t cbSrc = 0;
    if (!vorl::str::ColonArgsOk(szSrc, szDst, cbLimit, &cbSrc)) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    int n = 0;
    for (const char *p = szSrc; *p; ++p) {
        const char *szOut = *p == ':' ? ";," : *p == ';' ? ";;" : nullptr;
        int cb = szOut ? 2 : 1;
        if (n + cb > cbLimit) {
            szDst[n] = '\0';
            VORL_ERR(ERR_BUFFER_TOO_SMALL);
            return -1;
        }
        if (szOut) {
            szDst[n] = szOut[0];
            szDst[n + 1] = szOut[1];
        } else {
            szDst[n] = *p;
        }
        n += cb;
    }
    szDst[n] = '\0';
    return n;
}
