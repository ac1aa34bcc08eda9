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
    if (!szPath || !szDevice || cbLength == 0 || cbBlock <= 0) {
        syslog(LOG_ERR, "%s(%d): parameter error", __func__, __LINE__);
        return -1;
    }
    vorl::UniqueFd file(open(szPath, O_RDONLY | O_CLOEXEC));
    if (!file) {
        syslog(LOG_ERR, "%s:%d(%s) open [%s] error: (%d) %s.", VORL_SRC, __LINE__, __func__, szPath,
               errno, strerror(errno));
        return -1;
    }
    vorl::UniqueFd device(open(szDevice, O_RDONLY | O_CLOEXEC));
    if (!device) {
        syslog(LOG_ERR, "%s:%d(%s) open [%s] error: (%d) %s.", VORL_SRC, __LINE__, __func__,
               szDevice, errno, strerror(errno));
        return -1;
    }
    vorl::MallocPtr<char> fromFile(static_cast<char *>(malloc(static_cast<size_t>(cbBlock))));
    vorl::MallocPtr<char> fromDevice(static_cast<char *>(malloc(static_cast<size_t>(cbBlock))));
    if (!fromFile || !fromDevice) {
        syslog(LOG_ERR, "%s:%d(%s) malloc [%d] fail: (%d) %s.", VORL_SRC, __LINE__, __func__,
               cbBlock, errno, strerror(errno));
        return -1;
    }
    uint64_t total = 0;
    while (total < cbLength) {
        size_t want = cbLength - total < static_cast<uint64_t>(cbBlock)
                          ? static_cast<size_t>(cbLength - total)
                          : static_cast<size_t>(cbBlock);
        errno = 0;
        ssize_t n = ReadFull(file.get(), fromFile.get(), want);
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
        if (ReadFull(device.get(), fromDevice.get(), static_cast<size_t>(n)) != n) {
            syslog(LOG_ERR, "%s:%d(%s) read file [%s] error: (%d) %s.", VORL_SRC, __LINE__,
                   __func__, szDevice, errno, strerror(errno));
            return -1;
        }
        if (memcmp(fromFile.get(), fromDevice.get(), static_cast<size_t>(n)) != 0) {
            syslog(LOG_ERR, "%s:%d(%s) compare file [%s] vs [%s] error at offset 0x%llX", VORL_SRC,
                   __LINE__, __func__, szPath, szDevice, static_cast<unsigned long long>(total));
            return -1;
        }
        total += static_cast<uint64_t>(n);
        updt::ProgressAdd(static_cast<uint64_t>(n));
    }
    return 0;
}
