#include <vorl/mtd.h>

int VORLMTDLockPartition(const char *szDevice) {
    return VORLMTDILock(szDevice, 1);
}
