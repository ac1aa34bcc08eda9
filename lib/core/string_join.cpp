#include <stdlib.h>
#include <string.h>

#include "core/err_internal.h"

#include <vorl/str_util.h>

extern "C" int VLIBStrJoin(const char *const *rgsz, int count, const char *szSep, char **pszBuf,
                           int *pcbBuf) {
    if (!rgsz || !szSep || !pszBuf || !pcbBuf || count < 1 || (*pszBuf && *pcbBuf < 1)) {
        VORL_LOG_ERR("Bad parameters!!");
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    size_t cbSep = strlen(szSep);
    int64_t cbNeed = 0;
    for (int i = 0; i < count; ++i)
        if (rgsz[i]) cbNeed += static_cast<int64_t>(strlen(rgsz[i]) + cbSep);
    if (cbNeed == 0) {
        VORL_LOG_ERR("The input array is empty!!");
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    // Each element is followed by the separator and the last one is cut off
    // by the terminating NUL; with an empty separator that NUL needs a byte
    // of its own.
    if (cbSep == 0) cbNeed += 1;
    if (cbNeed > INT32_MAX) {
        VORL_LOG_ERR("Out of memory!!");
        VORL_ERR(ERR_OUT_OF_MEMORY);
        return -1;
    }
    if (!*pszBuf || *pcbBuf < cbNeed) {
        void *pNew = realloc(*pszBuf, static_cast<size_t>(cbNeed));
        if (!pNew) {
            free(*pszBuf);
            *pszBuf = nullptr;
            VORL_LOG_ERR("Out of memory!!");
            VORL_ERR(ERR_OUT_OF_MEMORY);
            return -1;
        }
        *pszBuf = static_cast<char *>(pNew);
        *pcbBuf = static_cast<int>(cbNeed);
    }
    char *p = *pszBuf;
    memset(p, 0, static_cast<size_t>(*pcbBuf));
    for (int i = 0; i < count; ++i) {
        if (!rgsz[i]) continue;
        size_t len = strlen(rgsz[i]);
        memcpy(p, rgsz[i], len);
        memcpy(p + len, szSep, cbSep);
        p += len + cbSep;
    }
    *(p - cbSep) = '\0';
    return 0;
}
