#include <errno.h>
#include <syslog.h>

#include <vorl/mtd.h>

#include "core/err_internal.h"
#include "core/raii.h"
#include "mtd/mtd_internal.h"

int VORLMTDErasePartition(const char *szDevice) {
    if (!szDevice) {
        syslog(LOG_ERR, "%s(%d): parameter error", __func__, __LINE__);
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    vorl::mtd::DeviceGeometry geometry;
    vorl::UniqueFd fd = vorl::mtd::OpenForChange(szDevice, &geometry, VORL_MTD_CALLER);
    if (!fd) return -1;
    if (vorl::mtd::WholeRange(fd.get(), VORL_MTD_MEMERASE, geometry.size) != 0) {
        syslog(LOG_ERR, "Could not erase MTD device: %s, errno = %d\n", szDevice, errno);
        VORL_ERR(ERR_WRITE_FAILED);
        return -1;
    }
    return 0;
}
