#include "core/hash_internal.h"

extern "C" const char *SzVLIBSzHashGetValue(const SzHash *pHash, const char *szKey) {
    if (!pHash || !szKey) return nullptr;
    int slot = vorl::HashLookup(pHash, szKey);
    return slot < 0 ? nullptr : vorl::HashText(pHash, pHash->rgSlot[slot].offValue);
}
