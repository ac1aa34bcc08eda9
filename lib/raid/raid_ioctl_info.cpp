#include <string.h>
#include <sys/ioctl.h>

#include "core/err_internal.h"
#include "raid/raid_internal.h"

int RaidIoctlInfo(int fd, mdu_array_info_t *pInfo) {
    memset(pInfo, 0, sizeof(*pInfo));
    if (ioctl(fd, RAID_IOCTL_GET_ARRAY_INFO, pInfo) == 0) return 0;
    return RaidIoctlFailed("raid status", VORL_SRC, __LINE__);
}
