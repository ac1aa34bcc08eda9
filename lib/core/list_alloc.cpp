#include <stdlib.h>

#include "core/err_internal.h"
#include "core/list_internal.h"

namespace vorl {

void ListInitBlock(SzList *pList, int32_t cbSize, int32_t fSort) {
    pList->cbSize = cbSize;
    pList->nItem = 0;
    pList->cbFree = cbSize - SZLIST_HEADER_SIZE;
    pList->fSort = fSort;
    pList->offStrArea = static_cast<uint32_t>(cbSize);  // one past the end: no strings yet
    pList->offEnd = static_cast<uint32_t>(cbSize - 1);
    ListBase(pList)[cbSize - 1] = '\0';
}

}  // namespace vorl

extern "C" SzList *PslVLIBSzListAlloc(int cbSize) {
    int32_t cb = cbSize < SZLIST_MIN_SIZE ? SZLIST_MIN_SIZE : cbSize;
    // Zeroed, so that the unused gap of a packed list holds no stale heap bytes.
    auto *pList = static_cast<SzList *>(calloc(1, static_cast<size_t>(cb)));
    if (!pList) {
        VORL_ERR(ERR_OUT_OF_MEMORY);
        return nullptr;
    }
    vorl::ListInitBlock(pList, cb, SZLIST_SORT_NONE);
    return pList;
}
