#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <memory>

#include "core/err_internal.h"
#include "core/raii.h"
#include "raid/raid_internal.h"

namespace {

struct InfoFree {
    void operator()(VORLRAIDINFO *p) const { VORLRaidInfoFree(p); }
};

int RaidTypeFromLevel(int level) {
    switch (level) {
        case -1:
            return RAID_TYPE_LINEAR;
        case 0:
            return RAID_TYPE_RAID0;
        case 1:
            return RAID_TYPE_RAID1;
        case 5:
            return RAID_TYPE_RAID5;
        case 6:
            return RAID_TYPE_RAID6;
        default:
            return RAID_TYPE_UNSUPPORTED;
    }
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

}  // namespace

extern "C" int VORLRaidInfoGet(const char *szPath, VORLRAIDINFO **ppInfo) {
    if (!szPath || !ppInfo) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    int md = 0;
    if (!RaidMdNumber(szPath, &md, VORL_SRC, __LINE__)) return -1;
    std::unique_ptr<VORLRAIDINFO, InfoFree> info(
        static_cast<VORLRAIDINFO *>(calloc(1, sizeof(VORLRAIDINFO))));
    if (!info) {
        VORL_LOG(LOG_DEBUG, "Failed to calloc, errno=%m");
        VORL_ERR(ERR_OUT_OF_MEMORY);
        return -1;
    }
    info->nMdNumber = md;
    snprintf(info->szPath, sizeof(info->szPath), "%s", szPath);

    vorl::UniqueFd fd(open(szPath, O_RDONLY | O_CLOEXEC));
    if (!fd) {
        VORL_LOG(LOG_DEBUG, "Failed to open %s, errno=%m", szPath);
        VORL_ERR(ERR_OPEN_FAILED);
        return -1;
    }

    mdu_array_info_t array;
    if (RaidIoctlInfo(fd.get(), &array) != 0) {
        if (VLIBErrGet() == ERR_RAID_NO_ARRAY) return 0;
        VORL_LOG(LOG_DEBUG, "Failed to ioctl for raid status, errno=0X%X", VLIBErrGet());
        return -1;
    }
    info->raidType = RaidTypeFromLevel(array.level);
    if (info->raidType == RAID_TYPE_UNSUPPORTED) {
        VORL_LOG(LOG_DEBUG, "Not supported RAID level: %d", array.level);
    }
    info->ullMdSize = static_cast<uint64_t>(static_cast<uint32_t>(array.size)) * 1024;
    info->nRaidDisks = array.raid_disks;

    if (RaidIoctlSize(fd.get(), &info->ullSize) != 0) {
        VORL_LOG(LOG_DEBUG, "Failed to ioctl for raid size, errno=0X%X", VLIBErrGet());
        return -1;
    }

    if (VORLRaidDiskListGet(szPath, &info->pDisks) != 0) {
        VORL_LOG(LOG_DEBUG, "Failed to get disk list for /dev/md%d, errno=0X%X", md, VLIBErrGet());
        return -1;
    }
    info->nFirstDisk = -1;
    if (const VORLRAIDDISK *first = info->pDisks) {
        const char *p = first->szPath;
        if (strncmp(p, "/dev/sd", 7) == 0 && strlen(p) == 9 && IsLetter(p[7]) && IsLetter(p[8])) {
            info->nFirstDisk = p[7] - 'a';
        }
    }

    if (RaidRebuildStatusGet(fd.get(), info->rebuild) != 0) {
        VORL_LOG(LOG_DEBUG, "Failed to get disk list for /dev/md%d, errno=0X%X", md, VLIBErrGet());
        return -1;
    }
    if (RaidDecideStatus(array.level, array.raid_disks, info->pDisks, &info->status) != 0) {
        VORL_LOG(LOG_DEBUG, "Failed to decide raid status for /dev/md%d, errno=0X%X", md,
                 VLIBErrGet());
        return -1;
    }
    *ppInfo = info.release();
    return 1;
}
