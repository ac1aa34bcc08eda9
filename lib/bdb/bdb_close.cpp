#include <errno.h>
#include <stdlib.h>

#include "bdb/bdb_internal.h"
#include "bdb/bdb_raw.h"
#include "core/err_internal.h"

extern "C" int VORLBDbClose(VORLBDB *pDB) {
    if (!pDB) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    if (pDB->pDB && vorl::bdb::RawClose(pDB->pDB) != 0) {
        int err = errno;
        VORL_LOG_ERR("errno=%d/%m, db->close failed.", err);
        if (unsigned code = vorl::bdb::CloseErrCode(err)) VORL_ERR(code);
    }
    pDB->pDB = nullptr;
    free(pDB);
    return 0;
}
