#include "core/api_guard.h"
#include "core/list_internal.h"

extern "C" int VLIBSzListCaseFind(const SzList *pList, const char *sz) {
    if (!pList || !sz) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    int kind = vorl::ListSortKind(pList->fSort);
    if (kind == SZLIST_SORT_BYTE) {  // its order cannot find case-equal entries
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    return vorl::Guard(-1, [&] { return vorl::ListLookup(pList, sz, kind, true); });
}
