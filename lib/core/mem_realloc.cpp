#include <stdlib.h>

#include "core/err_internal.h"

#include <vorl/str_util.h>

extern "C" void *VLIBMemRealloc(void *p, size_t cb) {
    if (cb == 0) {
        free(p);
        return nullptr;
    }
    void *pNew = realloc(p, cb);
    if (!pNew) {
        free(p);  // the caller's block is not leaked
        VORL_ERR(ERR_OUT_OF_MEMORY);
    }
    return pNew;
}
