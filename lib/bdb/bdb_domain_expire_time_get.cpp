#include "bdb/bdb_internal.h"
#include "core/err_internal.h"

extern "C" int VORLBDbDomainExpireTimeGet(VORLBDB *pDB, int32_t **ppTime) {
    if (!pDB || !ppTime || *ppTime) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    unsigned code = 0;
    if (vorl::bdb::GetControlTime(pDB, VORL_BDB_KEY_EXPIRE_TIME, VORL_BDB_KEY_EXPIRE_TIME_LEN,
                                  ppTime, &code) == 0)
        return 0;
    if (code) VORL_ERR(code);
    return -1;
}
