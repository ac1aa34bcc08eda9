#include "core/err_internal.h"
#include "core/list_internal.h"

extern "C" const char *SzVLIBSzListPop(SzList *pList) {
    if (!pList) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return nullptr;
    }
    return SzVLIBSzListRemove(pList, pList->nItem - 1);
}
