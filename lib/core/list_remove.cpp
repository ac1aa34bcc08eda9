#include <string.h>

#include "core/err_internal.h"
#include "core/list_internal.h"

extern "C" const char *SzVLIBSzListRemove(SzList *pList, int index) {
    if (!pList || index < 0 || index >= pList->nItem) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return nullptr;
    }
    // The text stays in place, readable until the list is changed again.
    const char *sz = vorl::ListItem(pList, index);
    memmove(&pList->rgOffItem[index], &pList->rgOffItem[index + 1],
            sizeof(uint32_t) * static_cast<size_t>(pList->nItem - index - 1));
    pList->nItem -= 1;
    pList->cbFree += 4;
    return sz;
}
