#include "bdb/bdb_internal.h"
#include "core/err_internal.h"

extern "C" int VORLBDbConfSyncTimeSet(VORLBDB *pDB, time_t mtime) {
    if (!pDB) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    return vorl::bdb::SetControlInt(pDB, VORL_BDB_KEY_SYNC_TIME, VORL_BDB_KEY_SYNC_TIME_LEN,
                                    static_cast<int32_t>(mtime));
}
