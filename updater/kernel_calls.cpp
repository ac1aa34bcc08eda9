// The appliance kernel's vendor system calls used by the driver.
#include <stdint.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "updater.h"

namespace {
constexpr long kSysFlashLayout = 401;      // fills a 32-bit word; bit 0: msys layout
constexpr long kSysMtdDriverBuffer = 405;  // 1 allocates the MTD driver buffer, 0 releases it
}  // namespace

int UPDTIsMSysLayout(void) {
    uint32_t word = 0;
    if (syscall(kSysFlashLayout, &word) != 0) return 0;
    return (word & 1) ? 1 : 0;
}

int UPDTMtdDriverBuffer(int fAllocate) {
    return syscall(kSysMtdDriverBuffer, fAllocate ? 1 : 0) == 0 ? 0 : -1;
}
