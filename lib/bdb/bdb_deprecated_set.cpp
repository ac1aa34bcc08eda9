#include "bdb/bdb_internal.h"
#include "core/err_internal.h"

extern "C" int VORLBDbDeprecatedSet(VORLBDB *pDB, int value) {
    if (!pDB) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    return vorl::bdb::SetControlInt(pDB, VORL_BDB_KEY_DEPRECATED, VORL_BDB_KEY_DEPRECATED_LEN,
                                    value);
}
