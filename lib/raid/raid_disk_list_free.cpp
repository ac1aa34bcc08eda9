#include <stdlib.h>

#include "raid/raid_internal.h"

void RaidDiskListFree(VORLRAIDDISK *pList) {
    while (pList) {
        VORLRAIDDISK *next = pList->pNext;
        free(pList);
        pList = next;
    }
}
