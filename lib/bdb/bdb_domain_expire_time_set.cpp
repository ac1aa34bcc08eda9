#include <time.h>

#include "bdb/bdb_internal.h"
#include "core/err_internal.h"

extern "C" int VORLBDbDomainExpireTimeSet(VORLBDB *pDB) {
    if (!pDB) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    return vorl::bdb::SetControlInt(pDB, VORL_BDB_KEY_EXPIRE_TIME, VORL_BDB_KEY_EXPIRE_TIME_LEN,
                                    static_cast<int32_t>(time(nullptr)));
}
