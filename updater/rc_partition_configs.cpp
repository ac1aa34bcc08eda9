// One partition's start, size and type from the appliance's partition lister.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "updater.h"

unsigned long long RCPartitionConfigs(int partition, const char *szDisk,
                                      unsigned long long *pullStart, unsigned int *puType) {
    if (!szDisk || partition < 1) return UPDT_PARTITION_ERROR;
    if (strncmp(szDisk, "/dev/", 5) == 0) szDisk += 5;
    char szPart[16], szDev[256];
    snprintf(szPart, sizeof(szPart), "-N%d", partition);
    snprintf(szDev, sizeof(szDev), "/dev/%s", szDisk);
    const char *const argv[] = {"/sbin/sfdisk", "-l", "-uS", szPart, szDev, nullptr};
    char szLine[64];
    if (UPDTExecuteRead(argv, szLine, sizeof(szLine)) < 0) return UPDT_PARTITION_ERROR;

    const char *fields[5] = {};
    int n = 0;
    char *save = nullptr;
    for (char *tok = strtok_r(szLine, " \t", &save); tok && n < 5;
         tok = strtok_r(nullptr, " \t", &save)) {
        fields[n++] = tok;
    }
    if (n < 5) return UPDT_PARTITION_ERROR;
    if (pullStart) *pullStart = strtoull(fields[1], nullptr, 10);
    if (puType) *puType = static_cast<unsigned int>(strtoul(fields[4], nullptr, 16));
    return strtoull(fields[3], nullptr, 10);
}
