#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/ioctl.h>
#include <syslog.h>

#include "core/raii.h"
#include "flash.h"
#include "flash_internal.h"

int UPDTMSysGetPartitionInfo(VORL_FIS_ENTRY *pEntries) {
    if (!pEntries) {
        syslog(LOG_ERR, "%s(%d): parameter error", __func__, __LINE__);
        return -1;
    }
    vorl::UniqueFd fd(open("/dev/mtd0", O_RDWR | O_CLOEXEC));
    if (!fd) {
        syslog(LOG_ERR, "%s(%d): fail to open /dev/mtd0, errno = %d", __func__, __LINE__, errno);
        return -1;
    }
    uint32_t pairs[2 * updt::kMsysPartitions];  // (length, data length) per partition
    memset(pairs, 0, sizeof pairs);
    if (ioctl(fd.get(), VORL_MTD_MSYS_GET_PARTITIONS, pairs) != 0) {
        syslog(LOG_ERR, "%s(%d): fail to get partition information, errno = %d", __func__, __LINE__,
               errno);
        return -1;
    }
    uint32_t base = 0;
    for (int k = 0; k < updt::kMsysPartitions; k++) {
        VORL_FIS_ENTRY &e = pEntries[k];
        memset(&e, 0, sizeof e);
        if (gPatchInfo[k].name) strncpy(e.szName, gPatchInfo[k].name, sizeof e.szName - 1);
        e.ulFlashBase = base;
        e.ulLength = pairs[2 * k];
        e.ulDataLength = pairs[2 * k + 1];
        base += e.ulLength;
    }
    return updt::kMsysPartitions;
}
