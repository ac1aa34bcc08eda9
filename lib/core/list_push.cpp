#include "core/err_internal.h"
#include "core/list_internal.h"

extern "C" int VLIBSzListPush(SzList **ppList, const char *sz) {
    if (!ppList || !*ppList) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    return VLIBSzListInsert(ppList, (*ppList)->nItem, sz);
}
