#include <limits.h>
#include <string.h>

#include "bdb/bdb_internal.h"
#include "core/err_internal.h"

#include <vorl/str_util.h>

extern "C" int VORLBDbDbtCopyout(const VORLDBT *pDbt, char **ppData, int *pcbData) {
    if (!pDbt || !vorl::bdb::OutBufferOk(ppData, pcbData) || pDbt->size > INT_MAX ||
        (pDbt->size > 0 && !pDbt->data)) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    int cb = static_cast<int>(pDbt->size);
    void *p = *ppData;
    // A record of no bytes still gets a buffer, so that the call succeeds.
    int rc = VORLCheckAndRealloc(&p, pcbData, cb > 0 ? cb : 1);
    *ppData = static_cast<char *>(p);
    if (rc != 0) {
        VORL_LOG_ERR("VORLCheckAndRealloc failed. vorlerr=0x%04X", VLIBErrGet());
        return -1;
    }
    if (cb > 0) memcpy(*ppData, pDbt->data, static_cast<size_t>(cb));
    *pcbData = cb;
    return 0;
}
