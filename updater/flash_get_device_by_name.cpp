#include <string.h>
#include <syslog.h>

#include "flash.h"

const char *SzUPDTGetDeviceByName(const char *szName) {
    if (!szName) {
        syslog(LOG_ERR, "%s(%d): parameter error", __func__, __LINE__);
        return nullptr;
    }
    for (int i = 0; i < UPDT_MAX_PATCHINFO && gPartitionDevice[i].name; i++)
        if (strcmp(gPartitionDevice[i].name, szName) == 0) return gPartitionDevice[i].device;
    syslog(LOG_ERR, "%s(%d): unknown partition name [%s]", __func__, __LINE__, szName);
    return nullptr;
}
