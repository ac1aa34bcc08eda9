// ErrVLIBFileUnlock: releases named locks of this process.
#include <sys/file.h>

#include <vorl/file_lock.h>

#include "conf/lock_table.h"
#include "core/err_internal.h"

namespace vorl {

int LockIRelease(uint32_t ids) {
    int result = 0;
    for (LockEntry *e = g_rgLockEntry; e->id != 0; ++e) {
        if (!(ids & e->id) || !e->fd) continue;
        if (e->cHold > 1) {
            --e->cHold;
            continue;
        }
        if (flock(e->fd.get(), LOCK_UN) != 0) {
            VORL_ERR(ERR_UNLOCK_FAILED);
            result = -1;
        }
        if (e->fd.close() != 0) result = -1;
        e->cHold = 0;
        e->mode = 0;
    }
    return result;
}

}  // namespace vorl

int ErrVLIBFileUnlock(unsigned int ids) {
    return vorl::LockIRelease(ids & ~static_cast<unsigned int>(VLIB_LOCK_MODE_MASK));
}
