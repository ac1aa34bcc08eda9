// Is the system partition (or the system RAID array) large enough for the
// package's extracted archive?
#include <syslog.h>

#include <vorl/err.h>
#include <vorl/raid.h>

#include "updater.h"

int UPDTCheckSystemSpace(long long extractSize) {
    unsigned long long capacity = 0;
    if (UPDTIsRaidSupported()) {
        VORLRAIDINFO *info = nullptr;
        int ret = VORLRaidInfoGet("/dev/md0", &info);
        if (ret != 1) {
            syslog(LOG_ERR, "%s:%d Failed to get RAID info, err=%d, errno=0x%X", VORL_SRC, __LINE__,
                   ret, VLIBErrGet());
            return 0;
        }
        capacity = info->ullSize >> 10;
        VORLRaidInfoFree(info);
    } else {
        unsigned long long size = RCPartitionConfigs(1, "/dev/hda", nullptr, nullptr);
        if (size == UPDT_PARTITION_ERROR) {
            syslog(LOG_ERR, "%s:%d RCPartitionConfigs(/dev/hda1) failed", VORL_SRC, __LINE__);
            return 0;
        }
        capacity = UPDTIsFixedSystemPartition(size) == 1 ? 361431 : size / 2;
    }
    long long need = extractSize + 10240;
    if (need > 0 && static_cast<unsigned long long>(need) > capacity) {
        syslog(LOG_ERR, "%s:%d System Partition is not sufficient. (%llu < %lld)", VORL_SRC,
               __LINE__, capacity, need);
        return 0;
    }
    return 1;
}
