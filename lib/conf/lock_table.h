// The process-wide table of named lock files under /tmp/lock, shared by the
// lock operations (file_lock, file_unlock, file_lock_check_dir,
// file_lock_close_all). One thread uses it; nothing here is locked.
#pragma once

#include <stdint.h>

#include "core/raii.h"

namespace vorl {

struct LockEntry {
    UniqueFd fd;         // open while this process holds the lock
    const char *szPath;  // the lock file
    uint32_t id;         // the lock id bit; 0 ends the table
    int32_t cHold;       // unreleased lock calls of this process covering the entry
    int mode;            // the flock operation the entry was locked with
};

// In the order locks are taken; the last entry has id 0.
extern LockEntry g_rgLockEntry[];

// Releases one hold of every held entry named by ids; an entry whose last
// hold goes is unlocked and closed. Processes every entry even after a
// failure. 0, or -1 when an unlock (ERR_UNLOCK_FAILED) or a close failed.
int LockIRelease(uint32_t ids);

}  // namespace vorl
