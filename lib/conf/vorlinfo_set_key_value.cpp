// VORLINFOSetKeyValue: sets one key of /etc/vorlinfo.conf under its lock.
#include <vorl/conf.h>
#include <vorl/file_lock.h>

#include "core/err_internal.h"

int VORLINFOSetKeyValue(const char *szKey, const char *szValue) {
    if (!szKey || !szValue) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    if (ErrVLIBFileLock(VLIB_LOCK_VORLINFO | VLIB_LOCK_EX_NB, 5) != 0) {
        // Not taken, so not released: a hold of the caller's own stays.
        return -1;
    }
    int r = VLIBFileSetKeyValue(VORL_INFO_CONF, szKey, szValue, VORL_KEY_QUOTED_FORMAT);
    ErrVLIBFileUnlock(VLIB_LOCK_VORLINFO);
    return r < 0 ? -1 : 0;
}
