#include <string.h>

#include "flash.h"

int UPDTIsFixedPartition(const char *szName) {
    static const char *const kFixed[] = {"vorlcfg", "vendor", "RedBoot Config", "FIS Directory"};
    if (!szName) return 0;
    for (const char *fixed : kFixed)
        if (strcmp(szName, fixed) == 0) return 1;
    return 0;
}
