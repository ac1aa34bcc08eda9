#include <stdio.h>
#include <syslog.h>

#include <vorl/err.h>

#include "raid/raid_internal.h"

bool RaidMdNumber(const char *szPath, int *pMd, const char *szSrc, int nLine) {
    if (sscanf(szPath, "/dev/md%d", pMd) == 1) return true;
    syslog(LOG_DEBUG, "%s:%d invalide path %s, errno=%m", szSrc, nLine, szPath);
    VLIBErrSet(ERR_RAID_BAD_PATH, szSrc, nLine);
    return false;
}
