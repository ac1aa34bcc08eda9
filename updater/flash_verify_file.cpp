#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <syslog.h>
#include <unistd.h>

#include "core/raii.h"
#include "flash.h"
#include "flash_internal.h"

namespace {

// Reads n bytes unless the end comes first; the bytes read, or -1.
ssize_t ReadFull(int fd, char *buf, size_t n) {
    size_t got = 0;
    while (got < n) {
        ssize_t r = read(fd, buf + got, n - got);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return -1;
        if (r == 0) break;
        got += static_cast<size_t>(r);
    }
    return static_cast<ssize_t>(got);
}

}  // namespace

int UPDTVerifyFile(const char *szPath, const char *szDevice, uint64_t cbLength, int cbBlock) {
    updt::Transfer t;
    if (!updt::OpenTransfer(t, szPath, szDevice, cbLength, cbBlock, O_RDONLY, 2, __func__,
                            __LINE__))
        return -1;
    char *fromFile = t.buffer[0].get();
    char *fromDevice = t.buffer[1].get();
    uint64_t total = 0;
    while (total < cbLength) {
        size_t want = cbLength - total < static_cast<uint64_t>(cbBlock)
                          ? static_cast<size_t>(cbLength - total)
                          : static_cast<size_t>(cbBlock);
        errno = 0;
        ssize_t n = ReadFull(t.file.get(), fromFile, want);
        if (n < 0) {
            syslog(LOG_ERR, "%s:%d(%s) read file [%s] error: (%d) %s.", VORL_SRC, __LINE__,
                   __func__, szPath, errno, strerror(errno));
            return -1;
        }
        if (n == 0) {
            // Fewer bytes than the plan wrote: the partition does not hold
            // the planned data.
            syslog(LOG_ERR, "%s:%d(%s) read file [%s] only %llu bytes, %llu bytes needed: (%d) %s.",
                   VORL_SRC, __LINE__, __func__, szPath, static_cast<unsigned long long>(total),
                   static_cast<unsigned long long>(cbLength), errno, strerror(errno));
            return -1;
        }
        errno = 0;
        if (ReadFull(t.device.get(), fromDevice, static_cast<size_t>(n)) != n) {
            syslog(LOG_ERR, "%s:%d(%s) read file [%s] error: (%d) %s.", VORL_SRC, __LINE__,
                   __func__, szDevice, errno, strerror(errno));
            return -1;
        }
        if (memcmp(fromFile, fromDevice, static_cast<size_t>(n)) != 0) {
            syslog(LOG_ERR, "%s:%d(%s) compare file [%s] vs [%s] error at offset 0x%llX", VORL_SRC,
                   __LINE__, __func__, szPath, szDevice, static_cast<unsigned long long>(total));
            return -1;
        }
        total += static_cast<uint64_t>(n);
        updt::ProgressAdd(static_cast<uint64_t>(n));
    }
    return 0;
}
