#include "core/err_internal.h"
#include "core/list_internal.h"

extern "C" int VLIBSzListClear(SzList *pList) {
    if (!pList) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    vorl::ListInitBlock(pList, pList->cbSize, pList->fSort);  // the sort mode stays
    return 0;
}
