#include <stdlib.h>

#include "core/err_internal.h"
#include "core/hash_internal.h"

namespace vorl {

namespace {

// A new block of the given shape holding every live pair of the old one, in
// the old slot order; the old block is released.
bool Rebuild(SzHash **ppHash, int64_t nSlot, int64_t cbArea) {
    if (nSlot > INT32_MAX || cbArea > INT32_MAX ||
        SZHASH_HEADER_SIZE + 8 * nSlot + cbArea > INT32_MAX) {
        VORL_ERR(ERR_OUT_OF_MEMORY);
        return false;
    }
    SzHash *pOld = *ppHash;
    SzHash *pNew = PshVLIBSzHashAllocator(static_cast<int>(nSlot), static_cast<int>(cbArea));
    if (!pNew) return false;
    for (int32_t i = 0; i < pOld->nSlot; ++i) {
        const SzHashSlot &slot = pOld->rgSlot[i];
        if (!slot.offKey) continue;
        const char *szKey = HashText(pOld, slot.offKey);
        const char *szValue = HashText(pOld, slot.offValue);
        bool fLive;
        int to = HashStoreSlot(pNew, szKey, &fLive);
        HashPutPair(pNew, to, szKey, strlen(szKey), szValue, strlen(szValue));
    }
    free(pOld);
    *ppHash = pNew;
    return true;
}

}  // namespace

int HashMakeRoom(SzHash **ppHash, int64_t cbNeed) {
    SzHash *pHash = *ppHash;
    int64_t s = pHash->nSlot, k = pHash->nKey;
    // Crowded: fewer than a quarter of the slots are free (single precision,
    // as the stored tables were sized).
    bool fCrowded = static_cast<float>(s - k) / static_cast<float>(s) < 0.25f;
    int64_t nSlot = s;
    if (fCrowded) {
        nSlot = 4 * s - 5;              // 31, 119, 471, 1879, ...
        if (nSlot <= s) nSlot = s + 1;  // tiny tables made by PshVLIBSzHashAllocator
    }
    if (cbNeed < pHash->cbAreaFree) {
        if (!fCrowded) return 0;
        return Rebuild(ppHash, nSlot, pHash->cbArea) ? 1 : -1;
    }
    int64_t mean =
        k ? static_cast<int64_t>(static_cast<float>(pHash->cbArea) / static_cast<float>(k))
          : cbNeed;
    int64_t cbArea = cbNeed + pHash->cbArea + (s - k) * mean;
    return Rebuild(ppHash, nSlot, cbArea) ? 1 : -1;
}

}  // namespace vorl
