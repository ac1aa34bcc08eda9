#include <string.h>

#include "core/list_internal.h"
#include "unicode/unicode_internal.h"

namespace vorl {

namespace {

int Sign(int c) {
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

// Compares one probe text with entries under a list order, preparing the
// probe's case key once.
class Probe {
public:
    Probe(const char *sz, bool fCase) : sz_(sz), fCase_(fCase) {
        if (fCase_) UnicodeMakeCaseKey(sz, key_);
    }
    int Compare(const char *szEntry) {
        if (!fCase_) return Sign(strcmp(sz_, szEntry));
        UnicodeMakeCaseKey(szEntry, entry_);
        return UnicodeCaseKeyCompare(key_, entry_);
    }

private:
    const char *sz_;
    bool fCase_;
    CaseKey key_, entry_;
};

int Search(const SzList *pList, Probe &probe) {
    int low = 0, high = pList->nItem - 1;
    while (low <= high) {
        int middle = low + (high - low) / 2;
        int c = probe.Compare(ListItem(pList, middle));
        if (c == 0) return middle;
        if (c < 0)
            high = middle - 1;
        else
            low = middle + 1;
    }
    return ~low;
}

}  // namespace

int ListSearch(const SzList *pList, const char *sz, int kind) {
    Probe probe(sz, kind == SZLIST_SORT_CASE);
    return Search(pList, probe);
}

int ListLookup(const SzList *pList, const char *sz, int kind, bool fCase) {
    Probe probe(sz, fCase);
    auto match = [&](int i) {
        return !ListIsHole(pList, i) && probe.Compare(ListItem(pList, i)) == 0;
    };
    if (kind == SZLIST_SORT_NONE) {
        for (int i = 0; i < pList->nItem; ++i)
            if (match(i)) return i;
        return -1;
    }
    int r = Search(pList, probe);
    if (r < 0) return -1;
    // The first of a run of equal entries (holes never match).
    while (r > 0 && probe.Compare(ListItem(pList, r - 1)) == 0)
        --r;
    for (; r < pList->nItem && probe.Compare(ListItem(pList, r)) == 0; ++r)
        if (match(r)) return r;
    return -1;
}

}  // namespace vorl
