#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <syslog.h>
#include <unistd.h>

#include "core/raii.h"
#include "flash.h"
#include "flash_internal.h"

int UPDTCopyFile(const char *szPath, const char *szDevice, uint64_t cbLength, int cbBlock) {
    updt::Transfer t;
    if (!updt::OpenTransfer(t, szPath, szDevice, cbLength, cbBlock, O_WRONLY, 1, __func__,
                            __LINE__))
        return -1;
    // Never more than the plan's length: a source longer than the data (a
    // backup copy of a whole partition) must not run past the partition.
    uint64_t total = 0;
    while (total < cbLength) {
        size_t want = cbLength - total < static_cast<uint64_t>(cbBlock)
                          ? static_cast<size_t>(cbLength - total)
                          : static_cast<size_t>(cbBlock);
        errno = 0;
        ssize_t n = read(t.file.get(), t.buffer[0].get(), want);
        if (n == 0) {
            // The verify step catches the short copy.
            syslog(LOG_ERR, "%s:%d(%s) read file [%s] only %llu bytes, %llu bytes needed: (%d) %s.",
                   VORL_SRC, __LINE__, __func__, szPath, static_cast<unsigned long long>(total),
                   static_cast<unsigned long long>(cbLength), errno, strerror(errno));
            return 0;
        }
        if (n < 0) {
            if (errno == EINTR) continue;
            syslog(LOG_ERR, "%s:%d(%s) read file [%s] error: (%d) %s.", VORL_SRC, __LINE__,
                   __func__, szPath, errno, strerror(errno));
            return -1;
        }
        ssize_t w = write(t.device.get(), t.buffer[0].get(), static_cast<size_t>(n));
        if (w != n) {
            syslog(LOG_ERR, "%s:%d(%s) write file [%s] error: (%d) %s.", VORL_SRC, __LINE__,
                   __func__, szDevice, errno, strerror(errno));
            return -1;
        }
        total += static_cast<uint64_t>(n);
        updt::ProgressAdd(static_cast<uint64_t>(n));
    }
    return 0;
}
