#include "core/hash_internal.h"

extern "C" void VLIBSzHashClear(SzHash *pHash) {
    if (!pHash) return;
    for (int32_t i = 0; i < pHash->nSlot; ++i)
        pHash->rgSlot[i].offKey = 0;  // used slots: deleted
    pHash->offNextFree = static_cast<uint32_t>(SZHASH_HEADER_SIZE + 8 * int64_t{pHash->nSlot});
    pHash->nKey = 0;
    pHash->cbAreaFree = pHash->cbArea;
}
