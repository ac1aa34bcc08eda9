// VLIBFileLockCloseAll: forgets every lock of this process without unlocking
// (a forked child before it runs another program: the parent's own
// descriptors keep the parent's locks).
#include <vorl/file_lock.h>

#include "conf/lock_table.h"

int VLIBFileLockCloseAll(void) {
    int result = 0;
    for (vorl::LockEntry *e = vorl::g_rgLockEntry; e->id != 0; ++e) {
        if (e->fd && e->fd.close() != 0) result = -1;
        e->cHold = 0;
        e->mode = 0;
    }
    return result;
}
