#include "bdb/bdb_internal.h"
#include "core/err_internal.h"

extern "C" int VORLBDbDeprecatedGet(VORLBDB *pDB) {
    if (!pDB) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    int32_t value = 0;
    unsigned code = 0;
    if (vorl::bdb::GetControlInt(pDB, VORL_BDB_KEY_DEPRECATED, VORL_BDB_KEY_DEPRECATED_LEN, &value,
                                 &code) == 0)
        return value;
    if (code) VORL_ERR(code);
    return -1;
}
