#include <errno.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <syslog.h>
#include <unistd.h>

#include "bdb/bdb_raw.h"
#include "core/err_internal.h"
#include "core/raii.h"

extern "C" VORLBDB *VORLBDbOpen(const char *szPath, int flags, int fDup) {
    if (!szPath || !*szPath) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return nullptr;
    }
    vorl::MallocPtr<VORLBDB> pDB(static_cast<VORLBDB *>(calloc(1, sizeof(VORLBDB))));
    if (!pDB) {
        VORL_ERR(ERR_OUT_OF_MEMORY);
        return nullptr;
    }

    pDB->pDB = vorl::bdb::RawOpen(szPath, flags, 0666, fDup == 1);
    if (!pDB->pDB) {
        switch (errno) {
            case EINVAL:
                VORL_ERR(ERR_BDB_OPEN);
                break;
            case EACCES:
                VORL_ERR(ERR_BDB_ACCESS);
                break;
            case ENOSPC:
                VORL_ERR(ERR_BDB_NO_SPACE);
                break;
            case ENOENT:
                VORL_ERR(ERR_BDB_NO_FILE);
                break;
            default:
                VORL_LOG(LOG_NOTICE, "errno=%d/%m, dbopen failed.", errno);
                VORL_ERR(ERR_OPEN_FAILED);
                break;
        }
        return nullptr;
    }

    // Every process of the appliance, whoever runs it, must be able to open
    // the stores that root made. The mode is set through the open descriptor,
    // so that a path swapped in the meantime is not followed.
    if (geteuid() == 0) {
        int fd = vorl::bdb::RawFd(pDB->pDB);
        if ((fd >= 0 ? fchmod(fd, 0666) : chmod(szPath, 0666)) != 0)
            VORL_LOG_ERR("errno=%d/%m, chmod failed.", errno);
    }

    pDB->fCursorType = VORL_BDB_CURSOR_NEXT;
    return pDB.release();
}
