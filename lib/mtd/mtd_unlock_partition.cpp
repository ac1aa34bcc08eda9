#include <vorl/mtd.h>

int VORLMTDUnlockPartition(const char *szDevice) {
    return VORLMTDILock(szDevice, 0);
}
