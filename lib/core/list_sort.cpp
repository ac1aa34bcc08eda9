#include <string.h>

#include <algorithm>
#include <vector>

#include "core/api_guard.h"
#include "core/list_internal.h"
#include "unicode/unicode_internal.h"

namespace vorl {

bool ListSortEntries(SzList *pList, int kind) {
    return Guard(false, [&] {
        // Holes are dropped: a sorted list has none.
        std::vector<uint32_t> offs;
        offs.reserve(static_cast<size_t>(pList->nItem));
        for (int i = 0; i < pList->nItem; ++i)
            if (!ListIsHole(pList, i)) offs.push_back(pList->rgOffItem[i]);
        const char *base = ListBase(pList);
        if (kind == SZLIST_SORT_BYTE) {
            std::stable_sort(offs.begin(), offs.end(), [base](uint32_t a, uint32_t b) {
                return strcmp(base + a, base + b) < 0;
            });
        } else {
            // Each text is upper-cased once; the order is total even for
            // texts that cannot be compared (see UnicodeCaseKeyCompare).
            std::vector<CaseKey> keys(offs.size());
            for (size_t i = 0; i < offs.size(); ++i)
                UnicodeMakeCaseKey(base + offs[i], keys[i]);
            std::vector<size_t> order(offs.size());
            for (size_t i = 0; i < order.size(); ++i)
                order[i] = i;
            std::stable_sort(order.begin(), order.end(), [&keys](size_t a, size_t b) {
                return UnicodeCaseKeyCompare(keys[a], keys[b]) < 0;
            });
            std::vector<uint32_t> sorted(offs.size());
            for (size_t i = 0; i < order.size(); ++i)
                sorted[i] = offs[order[i]];
            offs.swap(sorted);
        }
        int n = static_cast<int>(offs.size());
        std::copy(offs.begin(), offs.end(), pList->rgOffItem);
        pList->cbFree += 4 * (pList->nItem - n);
        pList->nItem = n;
        return true;
    });
}

}  // namespace vorl

extern "C" int VLIBSzListSort(SzList *pList, int fMode) {
    if (!pList) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    int want = vorl::ListSortKind(fMode);
    // Sorted again only when the order changes: a list already kept in the
    // requested order stays as it is.
    if (want != SZLIST_SORT_NONE && want != vorl::ListSortKind(pList->fSort) &&
        !vorl::ListSortEntries(pList, want))
        return -1;
    pList->fSort = fMode;
    return 0;
}
