#include <stdlib.h>
#include <string.h>

#include "core/err_internal.h"
#include "core/list_internal.h"

namespace vorl {

SzList *ListRebuild(const SzList *pList, int64_t cbSize, bool fDropHoles) {
    if (cbSize > INT32_MAX) {
        VORL_ERR(ERR_OUT_OF_MEMORY);
        return nullptr;
    }
    int64_t cbNeed = SZLIST_HEADER_SIZE;
    for (int i = 0; i < pList->nItem; ++i) {
        bool hole = ListIsHole(pList, i);
        if (hole && fDropHoles) continue;
        cbNeed += 4 + (hole ? 0 : static_cast<int64_t>(strlen(ListItem(pList, i))) + 1);
    }
    if (cbNeed > cbSize) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return nullptr;
    }
    auto *pNew = static_cast<SzList *>(calloc(1, static_cast<size_t>(cbSize)));
    if (!pNew) {
        VORL_ERR(ERR_OUT_OF_MEMORY);
        return nullptr;
    }
    ListInitBlock(pNew, static_cast<int32_t>(cbSize), pList->fSort);
    uint32_t off = pNew->offStrArea;
    int n = 0;
    for (int i = 0; i < pList->nItem; ++i) {
        if (ListIsHole(pList, i)) {
            if (!fDropHoles) pNew->rgOffItem[n++] = pNew->offEnd;
            continue;
        }
        const char *sz = ListItem(pList, i);
        size_t cb = strlen(sz) + 1;
        off -= static_cast<uint32_t>(cb);
        memcpy(ListBase(pNew) + off, sz, cb);
        pNew->rgOffItem[n++] = off;
    }
    pNew->nItem = n;
    pNew->offStrArea = off;
    pNew->cbFree = static_cast<int32_t>(off) - SZLIST_HEADER_SIZE - 4 * n;
    return pNew;
}

}  // namespace vorl
