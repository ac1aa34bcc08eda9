#include "core/err_internal.h"
#include "core/list_internal.h"

extern "C" const char *SzVLIBSzListGet(const SzList *pList, int index) {
    if (!pList || index < 0 || index >= pList->nItem) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return nullptr;
    }
    return vorl::ListItem(pList, index);
}
