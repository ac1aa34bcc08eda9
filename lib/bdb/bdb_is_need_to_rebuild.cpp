#include <stdlib.h>

#include "bdb/bdb_internal.h"
#include "core/err_internal.h"

extern "C" int VORLBDbIsNeedToRebuild(VORLBDB *pDB, time_t mtime) {
    if (!pDB) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    int32_t *pTime = nullptr;
    if (VORLBDbConfSyncTimeGet(pDB, &pTime) != 0) return -1;
    // Times are stored as 32-bit numbers: compare in that width.
    int rc = *pTime != static_cast<int32_t>(mtime) ? 1 : 0;
    free(pTime);
    return rc;
}
