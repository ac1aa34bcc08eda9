#include <errno.h>

#include "bdb/bdb_internal.h"
#include "bdb/bdb_raw.h"
#include "core/err_internal.h"

extern "C" int VORLBDbDelete(VORLBDB *pDB, const void *pKey, int cbKey) {
    if (!pDB || !pDB->pDB || !pKey || cbKey <= 0) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    VORLDBT key;
    VORLBDbDbtSet(&key, pKey, cbKey);
    int rc = vorl::bdb::RawDel(vorl::bdb::Raw(pDB), &key);
    if (rc < 0) {
        int err = errno;
        VORL_LOG_ERR("errno=%d/%m, db->del failed.", err);
        VORL_ERR(vorl::bdb::DelErrCode(err));
        return -1;
    }
    if (rc > 0) {
        VORL_ERR(ERR_NOT_FOUND);
        return -1;
    }
    return 0;
}
