// Module-private helpers of SzHash: references are byte offsets from the
// start of the block (0: none).
#pragma once

#include <stdint.h>
#include <string.h>

#include <vorl/sz_hash.h>

namespace vorl {

inline char *HashBase(SzHash *pHash) {
    return reinterpret_cast<char *>(pHash);
}
inline const char *HashBase(const SzHash *pHash) {
    return reinterpret_cast<const char *>(pHash);
}
inline const char *HashText(const SzHash *pHash, uint32_t off) {
    return HashBase(pHash) + off;
}
inline bool HashOwns(const SzHash *pHash, const char *sz) {
    const char *base = HashBase(pHash);
    return sz >= base && sz < base + SZHASH_HEADER_SIZE + 8 * int64_t{pHash->nSlot} + pHash->cbArea;
}

// The home slot of a key: its bytes summed as little-endian 32-bit words.
uint32_t HashHome(const char *szKey, int32_t nSlot);

// The live slot holding the key, or -1.
int HashLookup(const SzHash *pHash, const char *szKey);

// The slot a key is stored in: its live slot (*pfLive true), or the slot a
// new pair goes to; -1 when no slot is free.
int HashStoreSlot(const SzHash *pHash, const char *szKey, bool *pfLive);

// Makes room for cbNeed more bytes of strings, rebuilding the block (and
// replacing *ppHash) when the slots are crowded or the area is short.
// 1 when rebuilt, 0 when nothing changed, -1 (ERR_OUT_OF_MEMORY) on failure.
int HashMakeRoom(SzHash **ppHash, int64_t cbNeed);

// Stores a new pair in a slot returned by HashStoreSlot; the room is there.
void HashPutPair(SzHash *pHash, int slot, const char *szKey, size_t cbKey, const char *szValue,
                 size_t cbValue);

}  // namespace vorl
