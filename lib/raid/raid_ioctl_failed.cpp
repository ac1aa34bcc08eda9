#include <errno.h>
#include <syslog.h>

#include <vorl/err.h>

#include "raid/raid_internal.h"

int RaidIoctlFailed(const char *szWhat, const char *szSrc, int nLine) {
    if (errno == ENODEV) {
        VLIBErrSet(ERR_RAID_NO_ARRAY, szSrc, nLine);
        return -1;
    }
    syslog(LOG_DEBUG, "%s:%d Failed to ioctl for %s, errno=%m", szSrc, nLine, szWhat);
    VLIBErrSet(ERR_RAID_KERNEL, szSrc, nLine);
    return -1;
}
