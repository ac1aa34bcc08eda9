// Module-private helpers of SzList: references are byte offsets from the
// start of the block, so every access goes through these.
#pragma once

#include <stdint.h>
#include <string.h>

#include <vorl/sz_list.h>

namespace vorl {

// The order a list keeps, from its recorded sort mode: byte order wins when
// both bits are set; any other mode is unsorted.
inline int ListSortKind(int32_t fSort) {
    if (fSort & SZLIST_SORT_BYTE) return SZLIST_SORT_BYTE;
    if (fSort & SZLIST_SORT_CASE) return SZLIST_SORT_CASE;
    return SZLIST_SORT_NONE;
}

inline char *ListBase(SzList *pList) {
    return reinterpret_cast<char *>(pList);
}
inline const char *ListBase(const SzList *pList) {
    return reinterpret_cast<const char *>(pList);
}

inline const char *ListItem(const SzList *pList, int index) {
    return ListBase(pList) + pList->rgOffItem[index];
}
inline bool ListIsHole(const SzList *pList, int index) {
    return pList->rgOffItem[index] == pList->offEnd;
}
// Whether a text lies inside the list's block (it would move with the block).
inline bool ListOwns(const SzList *pList, const char *sz) {
    const char *base = ListBase(pList);
    return sz >= base && sz < base + pList->cbSize;
}

// Fills in the header of a zeroed block of cbSize bytes as an empty list.
void ListInitBlock(SzList *pList, int32_t cbSize, int32_t fSort);

// A new zeroed block of cbSize bytes holding pList's entries in order (holes
// kept as holes unless fDropHoles), strings packed again; nullptr with
// ERR_OUT_OF_MEMORY, or ERR_BAD_PARAMETERS when the entries do not fit.
SzList *ListRebuild(const SzList *pList, int64_t cbSize, bool fDropHoles);

// Binary search under the order of kind (SZLIST_SORT_BYTE or SZLIST_SORT_CASE):
// the index of an equal entry, or the bitwise complement of the insertion point.
int ListSearch(const SzList *pList, const char *sz, int kind);

// The first non-hole entry equal to sz, or -1: binary search under kind's
// order in a sorted list, else a linear scan comparing bytes, or comparing
// case-insensitively when fCase.
int ListLookup(const SzList *pList, const char *sz, int kind, bool fCase);

// Sorts the entry array (no holes expected) under kind's order; stable.
// false with ERR_OUT_OF_MEMORY.
bool ListSortEntries(SzList *pList, int kind);

}  // namespace vorl
