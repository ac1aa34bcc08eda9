#include <sys/ioctl.h>

#include "core/err_internal.h"
#include "raid/raid_internal.h"

int RaidRebuildStatusGet(int fd, int32_t rebuild[3]) {
    int32_t values[3] = {0, 0, 0};
    if (ioctl(fd, RAID_IOCTL_REBUILD_STATUS, values) != 0)
        return RaidIoctlFailed("sync status", VORL_SRC, __LINE__);
    rebuild[0] = rebuild[1] = rebuild[2] = 0;
    if (values[0] != 0 && values[1] == 0) {
        rebuild[0] = 2;
    } else if (values[0] != 0) {
        rebuild[0] = 1;
        rebuild[1] = values[1];
        rebuild[2] = values[2];
    }
    return 0;
}
