// VLIBFileLockCheckDir: makes sure /tmp/lock and every lock file exist.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vorl/file_lock.h>

#include "conf/lock_table.h"
#include "core/err_internal.h"
#include "core/raii.h"

namespace {

bool IsDir(const char *szPath) {
    struct stat st;
    return stat(szPath, &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsRegular(const char *szPath) {
    struct stat st;
    return lstat(szPath, &st) == 0 && S_ISREG(st.st_mode);
}

// Creates (or empties) a lock file. A symbolic link is never followed, and
// whatever is opened must be a regular file.
bool CreateLockFile(const char *szPath) {
    vorl::UniqueFd fd(
        open(szPath, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666));
    if (!fd) return false;
    struct stat st;
    if (fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    return fd.close() == 0;
}

}  // namespace

int VLIBFileLockCheckDir(void) {
    if (!IsDir(VLIB_LOCK_DIR)) {
        if (mkdir(VLIB_LOCK_DIR, 0700) == 0) {
            if (chmod(VLIB_LOCK_DIR, 0755) != 0) {
                VORL_ERR(ERR_MKDIR_FAILED);
                return -1;
            }
        } else if (errno != EEXIST || !IsDir(VLIB_LOCK_DIR)) {
            // EEXIST with a directory: another process made it just now.
            VORL_ERR(ERR_MKDIR_FAILED);
            return -1;
        }
    }
    for (const vorl::LockEntry *e = vorl::g_rgLockEntry; e->id != 0; ++e) {
        if (IsRegular(e->szPath)) continue;
        if (!CreateLockFile(e->szPath)) {
            VORL_ERR(ERR_OPEN_FAILED);
            return -1;
        }
    }
    return 0;
}
