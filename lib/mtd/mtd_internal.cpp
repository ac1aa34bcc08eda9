#include "mtd/mtd_internal.h"

#include <errno.h>
#include <fcntl.h>
#include <mtd/mtd-user.h>
#include <sys/ioctl.h>
#include <syslog.h>

#include <vorl/err.h>
#include <vorl/mtd.h>

namespace vorl::mtd {

static_assert(sizeof(mtd_info_user) == VORL_MTD_INFO_SIZE);
static_assert(MEMGETINFO == VORL_MTD_MEMGETINFO && MEMERASE == VORL_MTD_MEMERASE &&
              MEMLOCK == VORL_MTD_MEMLOCK && MEMUNLOCK == VORL_MTD_MEMUNLOCK);
static_assert(sizeof(VORL_MTD_FIS_RECORD) == 28);

bool GetGeometry(int fd, DeviceGeometry *geometry) {
    mtd_info_user info{};
    if (ioctl(fd, VORL_MTD_MEMGETINFO, &info) != 0) return false;
    geometry->size = info.size;
    geometry->erasesize = info.erasesize;
    return true;
}

UniqueFd OpenForChange(const char *szDevice, DeviceGeometry *geometry, const Caller &caller) {
    UniqueFd fd(open(szDevice, O_RDWR | O_CLOEXEC));
    if (!fd) {
        syslog(LOG_ERR, "%s(%d): fail to open mtd device %s, errno = %d", caller.func, caller.line,
               szDevice, errno);
        VLIBErrSet(ERR_OPEN_FAILED, caller.src, caller.line);
        return fd;
    }
    if (geometry && !GetGeometry(fd.get(), geometry)) {
        syslog(LOG_ERR, "%s(%d): Could not get MTD device info for %s, errno = %d", caller.func,
               caller.line, szDevice, errno);
        VLIBErrSet(ERR_READ_FAILED, caller.src, caller.line);
        fd.reset();
    }
    return fd;
}

int WholeRange(int fd, unsigned long request, uint32_t size) {
    erase_info_user range{0, size};
    return ioctl(fd, request, &range);
}

}  // namespace vorl::mtd
