#include <errno.h>

#include "bdb/bdb_internal.h"
#include "bdb/bdb_raw.h"
#include "core/err_internal.h"

extern "C" int VORLBDbSet(VORLBDB *pDB, const void *pKey, int cbKey, const void *pValue,
                          int cbValue) {
    if (!pDB || !pDB->pDB || !pKey || cbKey <= 0 || !pValue || cbValue <= 0) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    VORLDBT key, data;
    VORLBDbDbtSet(&key, pKey, cbKey);
    VORLBDbDbtSet(&data, pValue, cbValue);

    // A control record stays single even in a store with duplicates.
    if (static_cast<const char *>(pKey)[0] == '#' &&
        vorl::bdb::RawDel(vorl::bdb::Raw(pDB), &key) < 0) {
        VORL_LOG_ERR("errno=%d/%m, db->del failed.", errno);
        return -1;
    }
    if (vorl::bdb::RawPut(vorl::bdb::Raw(pDB), &key, &data) != 0) {
        int err = errno;
        VORL_LOG_ERR("errno=%d/%m, db->put failed.", err);
        VORL_ERR(vorl::bdb::PutErrCode(err));
        return -1;
    }
    return 0;
}
