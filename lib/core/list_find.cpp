#include "core/api_guard.h"
#include "core/list_internal.h"

extern "C" int VLIBSzListFind(const SzList *pList, const char *sz) {
    if (!pList || !sz) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    int kind = vorl::ListSortKind(pList->fSort);
    if (kind == SZLIST_SORT_CASE) {  // its order cannot find byte-equal entries
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    return vorl::ListLookup(pList, sz, kind, false);
}
