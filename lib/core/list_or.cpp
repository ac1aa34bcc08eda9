#include <stdlib.h>
#include <string.h>

#include "core/api_guard.h"
#include "core/list_internal.h"
#include "core/raii.h"

extern "C" SzList *PslVLIBSzListOr(SzList **ppDst, const SzList *pSrc, int flags) {
    if (!ppDst || !*ppDst || !pSrc) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return nullptr;
    }
    int kindDst = vorl::ListSortKind((*ppDst)->fSort);
    int kindSrc = vorl::ListSortKind(pSrc->fSort);
    if (kindDst != SZLIST_SORT_NONE && kindSrc != SZLIST_SORT_NONE && kindDst != kindSrc) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return nullptr;
    }
    bool fNew = flags == SZLIST_OR_NEW;
    // The union of a list with itself: the pushes below would move the source.
    vorl::MallocPtr<SzList> srcCopy;
    if (pSrc == *ppDst) {
        srcCopy.reset(static_cast<SzList *>(malloc(static_cast<size_t>(pSrc->cbSize))));
        if (!srcCopy) {
            VORL_ERR(ERR_OUT_OF_MEMORY);
            return nullptr;
        }
        memcpy(srcCopy.get(), pSrc, static_cast<size_t>(pSrc->cbSize));
        pSrc = srcCopy.get();
    }
    SzList *pDst = *ppDst;
    bool fSrcFirst = kindDst == SZLIST_SORT_NONE && kindSrc != SZLIST_SORT_NONE;

    SzList *pRes;
    if (fNew) {
        int64_t cb = int64_t{pDst->cbSize} + pSrc->cbSize - pDst->cbFree - pSrc->cbFree;
        if (cb < SZLIST_MIN_SIZE) cb = SZLIST_MIN_SIZE;
        if (cb > INT32_MAX) {
            VORL_ERR(ERR_OUT_OF_MEMORY);
            return nullptr;
        }
        // The destination's entries (holes dropped) come first, with its order,
        // except when the source's entries lead (destination unsorted, source sorted).
        pRes = fSrcFirst ? PslVLIBSzListAlloc(static_cast<int>(cb))
                         : vorl::ListRebuild(pDst, cb, true);
        if (!pRes) return nullptr;
    } else {
        VLIBSzListCompact(pDst);
        pRes = pDst;
    }

    bool ok = vorl::Guard(false, [&] {
        auto push = [&](const char *sz) {
            int r = VLIBSzListPush(&pRes, sz);
            if (!fNew) *ppDst = pRes;  // the caller's handle follows every expansion
            return r >= 0;
        };
        auto inSource = [&](const char *sz) {
            return vorl::ListLookup(pSrc, sz, kindSrc, kindSrc == SZLIST_SORT_CASE) >= 0;
        };
        if (fSrcFirst) {
            int nDst = pRes->nItem;
            for (int i = 0; i < pSrc->nItem; ++i)
                if (!vorl::ListIsHole(pSrc, i) && !push(vorl::ListItem(pSrc, i))) return false;
            if (fNew) {
                for (int i = 0; i < pDst->nItem; ++i) {
                    const char *sz = vorl::ListItem(pDst, i);
                    if (!vorl::ListIsHole(pDst, i) && !inSource(sz) && !push(sz)) return false;
                }
            } else {
                for (int i = nDst - 1; i >= 0; --i)
                    if (inSource(vorl::ListItem(pRes, i))) SzVLIBSzListRemove(pRes, i);
            }
            return true;
        }
        // Every source string the result does not hold yet (under the
        // result's own search) is pushed, at its sorted place in a sorted list.
        int kindRes = vorl::ListSortKind(pRes->fSort);
        for (int i = 0; i < pSrc->nItem; ++i) {
            if (vorl::ListIsHole(pSrc, i)) continue;
            const char *sz = vorl::ListItem(pSrc, i);
            if (vorl::ListLookup(pRes, sz, kindRes, kindRes == SZLIST_SORT_CASE) < 0 && !push(sz))
                return false;
        }
        return true;
    });
    if (!ok) {
        if (fNew) VLIBSzListFree(pRes);
        return nullptr;
    }
    return pRes;
}
