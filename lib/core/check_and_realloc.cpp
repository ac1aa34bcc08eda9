#include <errno.h>
#include <stdlib.h>

#include "core/err_internal.h"

#include <vorl/str_util.h>

extern "C" int VORLCheckAndRealloc(void **ppData, int *pcbAlloc, int cbNeed) {
    if (!ppData || !pcbAlloc || cbNeed <= 0) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    if (!*ppData) {
        *ppData = calloc(1, static_cast<size_t>(cbNeed));
        if (!*ppData) {
            VORL_LOG_ERR("NULL == *ppData, NULL == malloc(%d). errno=%d/%m", cbNeed, errno);
            VORL_ERR(ERR_OUT_OF_MEMORY);
            return -1;
        }
        *pcbAlloc = cbNeed;
        return 0;
    }
    if (*pcbAlloc <= 0) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    if (*pcbAlloc >= cbNeed) return 0;
    void *pNew = realloc(*ppData, static_cast<size_t>(cbNeed));
    if (!pNew) {
        VORL_LOG_ERR("NULL != *ppData, cbNeed=[%d] > *pcbAlloc=[%d]. errno=%d/%m", cbNeed,
                     *pcbAlloc, errno);
        free(*ppData);
        *ppData = nullptr;
        VORL_ERR(ERR_OUT_OF_MEMORY);
        return -1;
    }
    *ppData = pNew;
    *pcbAlloc = cbNeed;
    return 0;
}
