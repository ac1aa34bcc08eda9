#include <errno.h>
#include <sys/ioctl.h>
#include <syslog.h>

#include <vorl/mtd.h>

#include "core/err_internal.h"
#include "core/raii.h"
#include "mtd/mtd_internal.h"

int VORLMTDModifyPartitionSize(const char *szDevice, uint32_t ulFirst, uint32_t ulSecond) {
    if (!szDevice) {
        syslog(LOG_ERR, "%s(%d): parameter error", __func__, __LINE__);
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    vorl::UniqueFd fd = vorl::mtd::OpenForChange(szDevice, nullptr, VORL_MTD_CALLER);
    if (!fd) return -1;
    uint32_t values[2] = {ulFirst, ulSecond};
    if (ioctl(fd.get(), VORL_MTD_SET_PARTITION_SIZE, values) != 0) {
        syslog(LOG_ERR, "Failed to set the mtd info of %s by ioctl, errno = %d\n", szDevice, errno);
        VORL_ERR(ERR_WRITE_FAILED);
        return -1;
    }
    return 0;
}
