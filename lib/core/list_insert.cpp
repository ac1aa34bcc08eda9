#include <string.h>

#include <string>

#include "core/api_guard.h"
#include "core/list_internal.h"

extern "C" int VLIBSzListInsert(SzList **ppList, int index, const char *sz) {
    if (!ppList || !*ppList || !sz || index < 0) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    return vorl::Guard(-1, [&] {
        SzList *pList = *ppList;
        int kind = vorl::ListSortKind(pList->fSort);
        if (kind != SZLIST_SORT_NONE) {
            int r = vorl::ListSearch(pList, sz, kind);
            index = r >= 0 ? r : ~r;  // an equal entry: the new string goes before it
        }
        int64_t len = static_cast<int64_t>(strlen(sz));
        int64_t cbNeed =
            index < pList->nItem ? len + 1 + 4 : len + 5 + 4 * (int64_t{index} - pList->nItem);
        if (cbNeed > INT32_MAX - SZLIST_HEADER_SIZE) {  // no list can hold it
            VORL_ERR(ERR_OUT_OF_MEMORY);
            return -1;
        }
        std::string copy;
        if (pList->cbFree < cbNeed && vorl::ListOwns(pList, sz)) {
            copy = sz;  // the text moves (and its block is freed) with the expansion
            sz = copy.c_str();
        }
        while (pList->cbFree < cbNeed) {
            SzList *pNew = PslVLIBSzListExpand(pList);
            if (!pNew) return -1;  // the expansions made so far stay
            *ppList = pList = pNew;
        }
        uint32_t off = pList->offStrArea - static_cast<uint32_t>(len + 1);
        memmove(vorl::ListBase(pList) + off, sz, static_cast<size_t>(len + 1));
        pList->offStrArea = off;
        if (index < pList->nItem) {
            memmove(&pList->rgOffItem[index + 1], &pList->rgOffItem[index],
                    sizeof(uint32_t) * static_cast<size_t>(pList->nItem - index));
            pList->nItem += 1;
        } else {
            for (int i = pList->nItem; i < index; ++i)
                pList->rgOffItem[i] = pList->offEnd;
            pList->nItem = index + 1;
        }
        pList->rgOffItem[index] = off;
        pList->cbFree -= static_cast<int32_t>(cbNeed);
        return index;
    });
}
