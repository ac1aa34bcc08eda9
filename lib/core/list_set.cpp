#include <string.h>

#include <string>

#include "core/api_guard.h"
#include "core/list_internal.h"

extern "C" int VLIBSzListSet(SzList **ppList, int index, const char *sz) {
    if (!ppList || !*ppList || !sz || index < 0 || index >= (*ppList)->nItem) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    return vorl::Guard(-1, [&] {
        SzList *pList = *ppList;
        size_t len = strlen(sz);
        uint32_t off = pList->rgOffItem[index];
        if (len <= strlen(vorl::ListBase(pList) + off)) {
            memmove(vorl::ListBase(pList) + off, sz, len + 1);  // over the old text's bytes
        } else {
            if (len + 1 > static_cast<size_t>(INT32_MAX - SZLIST_HEADER_SIZE)) {
                VORL_ERR(ERR_OUT_OF_MEMORY);
                return -1;
            }
            int32_t cbNeed = static_cast<int32_t>(len + 1);
            std::string copy;
            if (pList->cbFree < cbNeed && vorl::ListOwns(pList, sz)) {
                copy = sz;  // the text moves with the expansion
                sz = copy.c_str();
            }
            while (pList->cbFree < cbNeed) {
                SzList *pNew = PslVLIBSzListExpand(pList);
                if (!pNew) return -1;
                *ppList = pList = pNew;
            }
            off = pList->offStrArea - static_cast<uint32_t>(cbNeed);
            memmove(vorl::ListBase(pList) + off, sz, len + 1);
            pList->offStrArea = off;
            pList->rgOffItem[index] = off;
            pList->cbFree -= cbNeed;
        }
        int kind = vorl::ListSortKind(pList->fSort);
        if (kind == SZLIST_SORT_NONE) return index;
        if (!vorl::ListSortEntries(pList, kind)) return -1;
        int r =
            vorl::ListLookup(pList, vorl::ListBase(pList) + off, kind, kind == SZLIST_SORT_CASE);
        return r >= 0 ? r : index;
    });
}
