#include "raid/raid_internal.h"

void RaidDiskListPush(VORLRAIDDISK **ppList, VORLRAIDDISK *pDisk) {
    pDisk->pNext = *ppList;
    *ppList = pDisk;
}
