#include "core/hash_internal.h"

namespace vorl {

uint32_t HashHome(const char *szKey, int32_t nSlot) {
    const auto *p = reinterpret_cast<const unsigned char *>(szKey);
    size_t len = strlen(szKey);
    uint32_t sum = 0;
    size_t i = 0;
    for (; i + 4 <= len; i += 4)
        sum += uint32_t{p[i]} | uint32_t{p[i + 1]} << 8 | uint32_t{p[i + 2]} << 16 |
               uint32_t{p[i + 3]} << 24;
    uint32_t rest = 0;
    for (size_t j = 0; i + j < len; ++j)
        rest |= uint32_t{p[i + j]} << (8 * j);
    sum += rest;
    return sum % static_cast<uint32_t>(nSlot);
}

int HashLookup(const SzHash *pHash, const char *szKey) {
    int32_t n = pHash->nSlot;
    int32_t home = static_cast<int32_t>(HashHome(szKey, n));
    for (int32_t step = 0; step < n; ++step) {
        int32_t i = (home + step) % n;
        const SzHashSlot &slot = pHash->rgSlot[i];
        if (slot.offKey) {
            if (strcmp(HashText(pHash, slot.offKey), szKey) == 0) return i;
        } else if (!slot.offValue) {
            return -1;  // empty: the key is absent
        }
    }
    return -1;
}

int HashStoreSlot(const SzHash *pHash, const char *szKey, bool *pfLive) {
    int32_t n = pHash->nSlot;
    int32_t home = static_cast<int32_t>(HashHome(szKey, n));
    auto liveEqual = [&](const SzHashSlot &slot) {
        return slot.offKey && strcmp(HashText(pHash, slot.offKey), szKey) == 0;
    };
    const SzHashSlot &homeSlot = pHash->rgSlot[home];
    *pfLive = liveEqual(homeSlot);
    if (*pfLive || (!homeSlot.offKey && !homeSlot.offValue)) return home;
    int remembered = -1;  // the first keyless slot after the home slot
    for (int32_t step = 1; step < n; ++step) {
        int32_t i = (home + step) % n;
        const SzHashSlot &slot = pHash->rgSlot[i];
        if (liveEqual(slot)) {
            *pfLive = true;
            return i;
        }
        if (slot.offKey) continue;
        if (remembered < 0) remembered = i;
        if (!slot.offValue) break;  // empty: the key is not further on
    }
    if (remembered >= 0) return remembered;
    // Every other slot is live: a deleted home slot is the only place left.
    return homeSlot.offKey ? -1 : home;
}

void HashPutPair(SzHash *pHash, int slot, const char *szKey, size_t cbKey, const char *szValue,
                 size_t cbValue) {
    uint32_t off = pHash->offNextFree;
    memmove(HashBase(pHash) + off, szKey, cbKey + 1);
    memmove(HashBase(pHash) + off + cbKey + 1, szValue, cbValue + 1);
    pHash->rgSlot[slot].offKey = off;
    pHash->rgSlot[slot].offValue = off + static_cast<uint32_t>(cbKey + 1);
    pHash->offNextFree = off + static_cast<uint32_t>(cbKey + cbValue + 2);
    pHash->cbAreaFree -= static_cast<int32_t>(cbKey + cbValue + 2);
    pHash->nKey += 1;
}

}  // namespace vorl
