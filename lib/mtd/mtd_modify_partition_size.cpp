#include <errno.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <syslog.h>

#include <vorl/mtd.h>

#include "core/err_internal.h"
#include "core/raii.h"

int VORLMTDModifyPartitionSize(const char *szDevice, uint32_t ulFirst, uint32_t ulSecond) {
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
    uint32_t values[2] = {ulFirst, ulSecond};
    if (ioctl(fd.get(), VORL_MTD_SET_PARTITION_SIZE, values) != 0) {
        syslog(LOG_ERR, "Failed to set the mtd info of %s by ioctl, errno = %d\n", szDevice, errno);
        VORL_ERR(ERR_WRITE_FAILED);
        return -1;
    }
    return 0;
}
