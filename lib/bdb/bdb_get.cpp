#include <errno.h>

#include "bdb/bdb_internal.h"
#include "bdb/bdb_raw.h"
#include "core/err_internal.h"

extern "C" int VORLBDbGet(VORLBDB *pDB, const void *pKey, int cbKey, char **ppData, int *pcbData) {
    if (!pDB || !pDB->pDB || !pKey || cbKey <= 0 || !vorl::bdb::OutBufferOk(ppData, pcbData)) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    VORLDBT key, data{};
    VORLBDbDbtSet(&key, pKey, cbKey);
    int rc = vorl::bdb::RawGet(vorl::bdb::Raw(pDB), &key, &data);
    if (rc < 0) {
        int err = errno;
        VORL_LOG_ERR("errno=%d/%m, db->get failed.", err);
        VORL_ERR(vorl::bdb::ReadErrCode(err));
        return -1;
    }
    if (rc > 0) {
        VORL_ERR(ERR_NOT_FOUND);
        return -1;
    }
    return VORLBDbDbtCopyout(&data, ppData, pcbData);
}
