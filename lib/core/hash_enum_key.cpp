#include "core/err_internal.h"
#include "core/hash_internal.h"

extern "C" int VLIBSzHashEnumKey(const SzHash *pHash, SzList **ppList) {
    if (!pHash) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    int n = 0;
    for (int32_t i = 0; i < pHash->nSlot; ++i) {
        const SzHashSlot &slot = pHash->rgSlot[i];
        if (!slot.offKey) continue;
        if (ppList && VLIBSzListPush(ppList, vorl::HashText(pHash, slot.offKey)) < 0) return -1;
        ++n;
    }
    return n;
}
