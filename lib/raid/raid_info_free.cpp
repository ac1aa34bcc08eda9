#include <stdlib.h>

#include "raid/raid_internal.h"

extern "C" void VORLRaidInfoFree(VORLRAIDINFO *pInfo) {
    if (!pInfo) return;
    RaidDiskListFree(pInfo->pDisks);
    free(pInfo);
}
