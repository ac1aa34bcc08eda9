#include <errno.h>
#include <sys/ioctl.h>

#include "core/err_internal.h"
#include "raid/raid_internal.h"

int RaidIoctlSize(int fd, uint64_t *pullSize) {
    uint64_t size = 0;
    if (ioctl(fd, RAID_IOCTL_BLKGETSIZE64, &size) == 0) {
        *pullSize = size;
        return 0;
    }
    if (errno == ENODEV) {
        VORL_ERR(ERR_RAID_NO_ARRAY);
        return -1;
    }
    VORL_LOG(LOG_DEBUG, "Failed to ioctl for raid status, errno=%m");
    VORL_ERR(ERR_RAID_KERNEL);
    return -1;
}
