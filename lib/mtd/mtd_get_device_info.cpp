#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/ioctl.h>
#include <syslog.h>

#include <vorl/mtd.h>

#include "core/err_internal.h"
#include "core/raii.h"

int VORLMTDGetDeviceInfo(const char *szDevice, void *pBuffer, int cbBuffer) {
    if (!szDevice || !pBuffer || cbBuffer < VORL_MTD_INFO_SIZE) {
        syslog(LOG_ERR, "%s(%d): parameter error", __func__, __LINE__);
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    memset(pBuffer, 0, static_cast<size_t>(cbBuffer));
    vorl::UniqueFd fd(open(szDevice, O_RDONLY | O_CLOEXEC));
    if (!fd) {
        syslog(LOG_ERR, "%s(%d): fail to open mtd device, errno = %d", __func__, __LINE__, errno);
        VORL_ERR(ERR_OPEN_FAILED);
        return -1;
    }
    if (ioctl(fd.get(), VORL_MTD_MEMGETINFO, pBuffer) != 0) {
        syslog(LOG_ERR, "%s(%d): fail to get mtd size, errno = %d", __func__, __LINE__, errno);
        VORL_ERR(ERR_READ_FAILED);
        return -1;
    }
    return 0;
}
