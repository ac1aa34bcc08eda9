#include <stdlib.h>

#include "core/err_internal.h"
#include "core/hash_internal.h"

extern "C" SzHash *PshVLIBSzHashAllocator(int nSlot, int cbArea) {
    if (nSlot < 1 || cbArea < 0) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return nullptr;
    }
    int64_t cb = SZHASH_HEADER_SIZE + 8 * int64_t{nSlot} + cbArea;
    if (cb > INT32_MAX) {
        VORL_ERR(ERR_OUT_OF_MEMORY);
        return nullptr;
    }
    auto *pHash = static_cast<SzHash *>(calloc(1, static_cast<size_t>(cb)));
    if (!pHash) {
        VORL_ERR(ERR_OUT_OF_MEMORY);
        return nullptr;
    }
    pHash->cbArea = cbArea;
    pHash->cbAreaFree = cbArea;
    pHash->nSlot = nSlot;
    pHash->nKey = 0;
    pHash->offNextFree = static_cast<uint32_t>(SZHASH_HEADER_SIZE + 8 * int64_t{nSlot});
    return pHash;
}
