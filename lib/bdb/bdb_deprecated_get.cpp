#include "bdb/bdb_internal.h"
#include "core/err_internal.h"

extern "C" int VORLBDbDeprecatedGet(VORLBDB *pDB) {
    if (!pDB) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    int32_t value = 0;
    int rc =
        vorl::bdb::GetControlInt(pDB, VORL_BDB_KEY_DEPRECATED, VORL_BDB_KEY_DEPRECATED_LEN, &value);
    if (rc != 0) {
        if (rc > 0) VORL_ERR(ERR_NOT_FOUND);
        return -1;
    }
    return value;
}
