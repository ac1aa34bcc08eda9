#include <errno.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <syslog.h>

#include "core/raii.h"
#include "flash.h"
#include "flash_internal.h"

int UPDTMSysFormat(const uint32_t *pBlocks, int cBlocks) {
    if (cBlocks != updt::kMsysPartitions || !pBlocks) {
        syslog(LOG_ERR, "%s(%d): parameter error", __func__, __LINE__);
        return -1;
    }
    vorl::UniqueFd fd(open("/dev/mtd0", O_RDWR | O_CLOEXEC));
    if (!fd) {
        syslog(LOG_ERR, "%s(%d): failed to open /dev/mtd0, errno = %d", __func__, __LINE__, errno);
        return -1;
    }
    // The unit count goes by value, the block table by address.
    if (ioctl(fd.get(), VORL_MTD_MSYS_FORMAT, static_cast<unsigned long>(updt::kMsysUnits)) != 0) {
        syslog(LOG_ERR, "%s(%d): failed to format, errno = %d", __func__, __LINE__, errno);
        return -1;
    }
    uint32_t blocks[updt::kMsysPartitions];
    for (int k = 0; k < updt::kMsysPartitions; k++)
        blocks[k] = pBlocks[k];
    if (ioctl(fd.get(), VORL_MTD_MSYS_PARTITION, blocks) != 0) {
        syslog(LOG_ERR, "%s(%d): failed to partition, errno = %d", __func__, __LINE__, errno);
        return -1;
    }
    return 0;
}
