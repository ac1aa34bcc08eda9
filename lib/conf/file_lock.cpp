// ErrVLIBFileLock: takes the named locks of a request, retrying every 50 ms
// until the timeout; a failed call leaves the lock table as it was.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <vorl/file_lock.h>

#include "conf/lock_table.h"
#include "core/err_internal.h"

namespace {

enum AttemptResult { kTaken, kBusy, kRefused };

bool HeldSharedOnly(int mode) {
    return (mode & LOCK_SH) && !(mode & LOCK_EX);
}

// A request that names locks must ask for shared or exclusive, optionally
// non-blocking: anything else (an unlock, no mode) would record a lock that
// is not held.
bool ModeValid(int op) {
    int kind = op & ~LOCK_NB;
    return kind == LOCK_SH || kind == LOCK_EX;
}

// One pass over the table in order. Whatever the pass took is released
// again unless it took everything.
AttemptResult Attempt(uint32_t want, int op) {
    uint32_t taken = 0;
    for (vorl::LockEntry *e = vorl::g_rgLockEntry; e->id != 0; ++e) {
        if (!(want & e->id)) continue;
        if (e->fd) {
            ++e->cHold;
            taken |= e->id;
            if (HeldSharedOnly(e->mode) && (op & LOCK_EX)) {
                // A shared lock cannot be raised to exclusive in place.
                vorl::LockIRelease(taken);
                return kRefused;
            }
            continue;
        }
        int fd = open(e->szPath, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        e->fd.reset(fd);
        e->cHold = 1;
        if (flock(fd, op) != 0) {
            vorl::LockIRelease(taken | e->id);
            return kBusy;
        }
        e->mode = op;
        taken |= e->id;
    }
    if (taken == want) return kTaken;
    vorl::LockIRelease(taken);
    return kBusy;
}

}  // namespace

int ErrVLIBFileLock(unsigned int request, int timeout) {
    const uint32_t want = request & ~static_cast<uint32_t>(VLIB_LOCK_MODE_MASK);
    const int op = static_cast<int>(request & VLIB_LOCK_MODE_MASK);
    if (timeout < 0 || (want != 0 && !ModeValid(op))) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    if (VLIBFileLockCheckDir() != 0) return -1;

    // Elapsed time in units of 10 ms; one pause is 50 ms.
    const long long limit = static_cast<long long>(timeout) * 100;
    for (long long elapsed = 0;;) {
        AttemptResult r = Attempt(want, op);
        if (r == kTaken) return 0;
        if (r == kRefused) break;
        elapsed += 5;
        if (elapsed > limit) break;
        usleep(50000);
    }
    VORL_ERR(ERR_LOCK_FAILED);
    return -1;
}
