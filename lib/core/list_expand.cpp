#include <stdlib.h>

#include "core/err_internal.h"
#include "core/list_internal.h"

extern "C" SzList *PslVLIBSzListExpand(SzList *pList) {
    if (!pList) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return nullptr;
    }
    SzList *pNew = vorl::ListRebuild(pList, 2 * static_cast<int64_t>(pList->cbSize), false);
    if (!pNew) return nullptr;  // the old list stays valid
    free(pList);
    return pNew;
}
