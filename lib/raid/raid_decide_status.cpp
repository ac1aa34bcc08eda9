#include "core/err_internal.h"
#include "raid/raid_internal.h"

int RaidDecideStatus(int level, int raidDisks, const VORLRAIDDISK *pList, int32_t *pStatus) {
    if (!pStatus) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    int members = 0, inSync = 0, errors = 0;
    for (const VORLRAIDDISK *p = pList; p; p = p->pNext) {
        ++members;
        if (p->status == RAID_DISK_IN_SYNC) ++inSync;
        if (p->status == RAID_DISK_ERROR) ++errors;
    }
    int tolerance = 0;
    if (level == 5) {
        tolerance = 1;
    } else if (level == 6) {
        tolerance = 2;
    } else if (level == 1) {
        tolerance = raidDisks - 1;
    }
    if (members == 0 || errors > 0) {
        *pStatus = RAID_STATUS_CRASHED;
        return 0;
    }
    int missing = raidDisks - inSync;
    if (missing <= 0) {
        *pStatus = RAID_STATUS_NORMAL;
    } else if (missing > tolerance) {
        *pStatus = RAID_STATUS_CRASHED;
    } else {
        *pStatus = RAID_STATUS_DEGRADED;
    }
    return 0;
}
