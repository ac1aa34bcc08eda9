#include "core/err_internal.h"
#include "core/list_internal.h"

extern "C" int VLIBSzListCompact(SzList *pList) {
    if (!pList) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    int n = 0;
    for (int i = 0; i < pList->nItem; ++i)
        if (!vorl::ListIsHole(pList, i)) pList->rgOffItem[n++] = pList->rgOffItem[i];
    pList->cbFree += 4 * (pList->nItem - n);
    pList->nItem = n;
    return 0;
}
