#include <sys/ioctl.h>

#include "core/err_internal.h"
#include "raid/raid_internal.h"

int RaidIoctlSize(int fd, uint64_t *pullSize) {
    uint64_t size = 0;
    if (ioctl(fd, RAID_IOCTL_BLKGETSIZE64, &size) == 0) {
        *pullSize = size;
        return 0;
    }
    return RaidIoctlFailed("raid status", VORL_SRC, __LINE__);
}
