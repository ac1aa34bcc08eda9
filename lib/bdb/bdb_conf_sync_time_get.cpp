#include <stdlib.h>

#include "bdb/bdb_internal.h"
#include "core/err_internal.h"

extern "C" int VORLBDbConfSyncTimeGet(VORLBDB *pDB, int32_t **ppTime) {
    if (!pDB || !ppTime || *ppTime) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    int32_t value = 0;
    int rc =
        vorl::bdb::GetControlInt(pDB, VORL_BDB_KEY_SYNC_TIME, VORL_BDB_KEY_SYNC_TIME_LEN, &value);
    if (rc != 0) {
        if (rc > 0) VORL_ERR(ERR_NOT_FOUND);
        return -1;
    }
    auto *p = static_cast<int32_t *>(malloc(sizeof(int32_t)));
    if (!p) {
        VORL_ERR(ERR_OUT_OF_MEMORY);
        return -1;
    }
    *p = value;
    *ppTime = p;
    return 0;
}
