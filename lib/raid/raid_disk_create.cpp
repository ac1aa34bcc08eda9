#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "core/err_internal.h"
#include "core/raii.h"
#include "raid/raid_internal.h"

namespace {

// The first line (at most 31 characters) of a file of the entry directory;
// false with the error code set when it cannot be opened or is empty.
bool ReadFirstLine(const char *szEntry, const char *szName, char (&line)[32]) {
    char path[4096];
    snprintf(path, sizeof(path), "%s/%s", szEntry, szName);
    vorl::UniqueFile fp(fopen(path, "r"));
    if (!fp) {
        VORL_LOG(LOG_DEBUG, "Failed to fopen %s, errno=%m", path);
        VORL_ERR(ERR_OPEN_FAILED);
        return false;
    }
    if (!fgets(line, sizeof(line), fp.get())) {
        VORL_LOG(LOG_DEBUG, "Failed to fgets %s, errno=%m", path);
        VORL_ERR(ERR_READ_FAILED);
        return false;
    }
    return true;
}

}  // namespace

extern "C" int VORLRaidDiskCreate(const char *szEntry, VORLRAIDDISK **ppDisk) {
    if (!szEntry || !ppDisk) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    vorl::MallocPtr<VORLRAIDDISK> disk(
        static_cast<VORLRAIDDISK *>(calloc(1, sizeof(VORLRAIDDISK))));
    if (!disk) {
        VORL_ERR(ERR_OUT_OF_MEMORY);
        return -1;
    }
    const char *dev = strstr(szEntry, "dev-");
    if (!dev) {
        VORL_LOG(LOG_DEBUG, "Failed to strstr %s, errno=%m", szEntry);
        VORL_ERR(ERR_RAID_DISK_ENTRY);
        return -1;
    }
    snprintf(disk->szPath, sizeof(disk->szPath), "/dev/%s", dev + 4);

    char state[32];
    if (!ReadFirstLine(szEntry, "state", state)) {
        VORL_LOG(LOG_DEBUG, "Failed to get status from %s, errno=0X%X", szEntry, VLIBErrGet());
        return -1;
    }
    if (strstr(state, "faulty")) {
        disk->status = RAID_DISK_FAULTY;
    } else if (strstr(state, "error")) {
        disk->status = RAID_DISK_ERROR;
    } else if (!strstr(state, "in_sync") && strstr(state, "spare")) {
        char slot[32];
        bool idle = ReadFirstLine(szEntry, "slot", slot) && strstr(slot, "none");
        disk->status = idle ? RAID_DISK_SPARE_IDLE : RAID_DISK_SPARE_REBUILDING;
    } else {
        disk->status = RAID_DISK_IN_SYNC;
    }
    *ppDisk = disk.release();
    return 0;
}
