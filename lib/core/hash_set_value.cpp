#include <string.h>

#include <string>

#include "core/api_guard.h"
#include "core/hash_internal.h"

extern "C" int VLIBSzHashSetValue(SzHash **ppHash, const char *szKey, const char *szValue) {
    if (!ppHash || !*ppHash || !szKey || !szValue) return -1;
    return vorl::Guard(-1, [&] {
        SzHash *pHash = *ppHash;
        // Texts inside the block (another key's value, say) move when it is rebuilt.
        std::string keyCopy, valueCopy;
        if (vorl::HashOwns(pHash, szKey)) szKey = (keyCopy = szKey).c_str();
        if (vorl::HashOwns(pHash, szValue)) szValue = (valueCopy = szValue).c_str();
        size_t cbKey = strlen(szKey), cbValue = strlen(szValue);

        bool fLive;
        int slot = vorl::HashStoreSlot(pHash, szKey, &fLive);
        if (slot >= 0 && fLive) {
            char *szOld = vorl::HashBase(pHash) + pHash->rgSlot[slot].offValue;
            if (cbValue <= strlen(szOld)) {
                memmove(szOld, szValue, cbValue + 1);  // over the old value's bytes
                return slot;
            }
            int r = vorl::HashMakeRoom(ppHash, static_cast<int64_t>(cbValue) + 1);
            if (r < 0) return -1;
            pHash = *ppHash;
            if (r > 0) slot = vorl::HashStoreSlot(pHash, szKey, &fLive);
            uint32_t off = pHash->offNextFree;
            memcpy(vorl::HashBase(pHash) + off, szValue, cbValue + 1);
            pHash->rgSlot[slot].offValue = off;
            pHash->offNextFree = off + static_cast<uint32_t>(cbValue + 1);
            pHash->cbAreaFree -= static_cast<int32_t>(cbValue + 1);
            return slot;
        }
        int r = vorl::HashMakeRoom(ppHash, static_cast<int64_t>(cbKey) + cbValue + 2);
        if (r < 0) return -1;
        pHash = *ppHash;
        if (r > 0 || slot < 0) slot = vorl::HashStoreSlot(pHash, szKey, &fLive);
        if (slot < 0) {
            VORL_ERR(ERR_OUT_OF_MEMORY);
            return -1;
        }
        vorl::HashPutPair(pHash, slot, szKey, cbKey, szValue, cbValue);
        return slot;
    });
}
