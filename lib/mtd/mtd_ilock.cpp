#include <errno.h>
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
    vorl::mtd::DeviceGeometry geometry;
    vorl::UniqueFd fd = vorl::mtd::OpenForChange(szDevice, &geometry, VORL_MTD_CALLER);
    if (!fd) return -1;
    unsigned long request = fLock == 1 ? VORL_MTD_MEMLOCK : VORL_MTD_MEMUNLOCK;
    if (vorl::mtd::WholeRange(fd.get(), request, geometry.size) != 0) {
        syslog(LOG_ERR, "Could not lock/unlock MTD device: %s, errno = %d\n", szDevice, errno);
        VORL_ERR(fLock == 1 ? ERR_LOCK_FAILED : ERR_UNLOCK_FAILED);
        return -1;
    }
    return 0;
}
