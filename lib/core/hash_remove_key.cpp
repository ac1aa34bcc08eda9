#include "core/hash_internal.h"

extern "C" const char *SzVLIBSzHashRemoveKey(SzHash *pHash, const char *szKey) {
    if (!pHash || !szKey) return nullptr;
    int slot = vorl::HashLookup(pHash, szKey);
    if (slot < 0) return nullptr;
    // The slot becomes deleted: no key, its value reference kept, so probes
    // go on past it. The text stays readable until the hash changes.
    pHash->rgSlot[slot].offKey = 0;
    pHash->nKey -= 1;
    return vorl::HashText(pHash, pHash->rgSlot[slot].offValue);
}
