// The simulated appliance kernel's state: the flash chip's geometry, the
// partition table of the MTD driver, the lock bits of the erase blocks, the
// operation counters of the fault injection and the vendor-call records.
// Every process of a simulated appliance maps the same state file
// ("/sim/kernel.state"), so a child such as dd sees what its parent changed.
// The shim (libvorlshim.so) and the vorlsim helper share this layout.
#pragma once

#include <stdint.h>

namespace vorlsim {

inline constexpr int kMaxMtd = 8;
inline constexpr uint32_t kMaxEraseBlocks = 65536;
inline constexpr uint32_t kStateVersion = 2;
inline constexpr char kStateMagic[8] = {'V', 'O', 'R', 'L', 'S', 'I', 'M', '1'};

enum Layout : uint32_t { kLayoutNone = 0, kLayoutRedBoot = 1, kLayoutMsys = 2 };

// Counted operations on the simulated MTD devices (fault injection keys are
// "fault_" followed by the name).
enum Op : uint32_t {
    kOpOpen,
    kOpRead,
    kOpWrite,
    kOpErase,
    kOpLock,
    kOpUnlock,
    kOpInfo,
    kOpSetSize,    // vendor request nr 22
    kOpSetFis,     // nr 23
    kOpFormat,     // nr 24
    kOpPartition,  // nr 25
    kOpGetParts,   // nr 26
    kOpCount
};
inline constexpr const char *kOpNames[kOpCount] = {"open",   "read",   "write",     "erase",
                                                   "lock",   "unlock", "info",      "setsize",
                                                   "setfis", "format", "partition", "getparts"};

// The window of /dev/mtdN over the flash chip.
struct MtdWindow {
    uint64_t offset;  // bytes from the first byte of the chip
    uint64_t size;
    uint32_t present;  // 0: no such device
    uint32_t reserved;
};

struct KernelState {
    char magic[8];
    uint32_t version;
    uint32_t layout;     // Layout
    uint64_t flashBase;  // address of the chip's first byte (RedBoot layout)
    uint64_t flashSize;
    uint32_t eraseSize;
    int32_t fisMtd;        // device whose window holds the FIS directory, -1 none
    uint32_t msysUnits;    // units of the last msys format
    uint32_t eraseBlocks;  // flashSize / eraseSize, the entries of locked[]
    MtdWindow mtd[kMaxMtd];
    // [op][device]; [op][kMaxMtd] counts the operation on every device.
    uint64_t counters[kOpCount][kMaxMtd + 1];
    // A fault setting counts from the moment it was set: the counters at
    // that moment, and a hash of the setting they belong to.
    uint64_t faultBase[kOpCount][kMaxMtd + 1];
    uint32_t faultHash[kOpCount];
    uint64_t sys401Calls;
    uint64_t sys405Alloc;    // calls of 405 with 1
    uint64_t sys405Release;  // calls of 405 with 0
    uint32_t sys405Held;     // 1 while the buffer is allocated
    uint32_t reserved;
    uint8_t locked[kMaxEraseBlocks];  // 1: erase block locked
};

}  // namespace vorlsim
