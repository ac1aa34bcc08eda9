// The two legacy system-partition sizes that cannot be grown.
#include <syslog.h>

#include "updater.h"

int UPDTIsFixedSystemPartition(unsigned long long size) {
    unsigned long long start = 0;
    if (RCPartitionConfigs(3, "/dev/hda", &start, nullptr) == UPDT_PARTITION_ERROR) {
        syslog(LOG_ERR, "%s:%d RCPartitionConfigs(/dev/hda3) failed", VORL_SRC, __LINE__);
        return 0;
    }
    if (start <= 1333331) {
        syslog(LOG_ERR, "%s:%d System Partition is not resizeable. (%llu)", VORL_SRC, __LINE__,
               start);
        return 0;
    }
    return size == 273042 || size == 530082;
}
