#include <errno.h>
#include <fcntl.h>
#include <syslog.h>

#include <vorl/mtd.h>

#include "core/err_internal.h"
#include "core/raii.h"
#include "mtd/mtd_internal.h"

int VORLMTDILock(const char *szDevice, int fLock) {
    if (!szDevice) {
        syslog(LOG_ERR, "%s(%d): parameter error", __func__, __LINE__);
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    vorl::UniqueFd fd(open(szDevice, O_RDWR | O_CLOEXEC));
    if (!fd) {
        syslog(LOG_ERR, "%s(%d): fail to open mtd device %s, errno = %d", __func__, __LINE__,
               szDevice, errno);
        VORL_ERR(ERR_OPEN_FAILED);
        return -1;
    }
    vorl::mtd::DeviceGeometry geometry;
    if (!vorl::mtd::GetGeometry(fd.get(), &geometry)) {
        syslog(LOG_ERR, "%s(%d): Could not get MTD device info for %s, errno = %d", __func__,
               __LINE__, szDevice, errno);
        VORL_ERR(ERR_READ_FAILED);
        return -1;
    }
    unsigned long request = fLock == 1 ? VORL_MTD_MEMLOCK : VORL_MTD_MEMUNLOCK;
    if (vorl::mtd::WholeRange(fd.get(), request, geometry.size) != 0) {
        syslog(LOG_ERR, "Could not lock/unlock MTD device: %s, errno = %d\n", szDevice, errno);
        VORL_ERR(fLock == 1 ? ERR_LOCK_FAILED : ERR_UNLOCK_FAILED);
        return -1;
    }
    return 0;
}
