// vorlsim: builds the simulated appliance kernel of an appliance root -- the
// flash chip with a RedBoot FIS directory or the msys layout, the MTD device
// placeholders, RAID arrays, vendor calls, free space and injected faults --
// and reads the flash back. The appliance creator and the tests share it;
// the shim (libvorlshim.so) plays the kernel over what it writes.
//
// Every path argument named root is the appliance root on this machine; ""
// means the current process already runs inside it.
#pragma once

#include <stdint.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "shim/kernel_conf.h"
#include "shim/kernel_state.h"

namespace vorlsim {

// One 256-byte entry of the FIS directory.
struct FisEntry {
    std::string name;
    uint32_t flashBase = 0;
    uint32_t memBase = 0;
    uint32_t length = 0;
    uint32_t entryPoint = 0;
    uint32_t dataLength = 0;
};
bool operator==(const FisEntry &a, const FisEntry &b);

// The 256-byte form of an entry (checksums 0, reserved bytes 0).
std::string EncodeFisEntry(const FisEntry &e);
// The entries one after the other (no terminator).
std::string EncodeFisDirectory(const std::vector<FisEntry> &entries);
// The entries up to the first one whose first byte is 0xFF (or the end).
std::vector<FisEntry> DecodeFisDirectory(const std::string &bytes);

struct Partition {
    std::string name;         // FIS name
    int mtd = -1;             // the /dev/mtdN that shows it; -1: FIS entry only
    uint32_t flashBase = 0;   // RedBoot: flash address (msys: contiguous, ignored)
    uint32_t length = 0;      // bytes, a multiple of the erase size
    std::string content;      // initial bytes at its start; the rest is erased
    int64_t dataLength = -1;  // FIS data length; -1: the content's size
    int64_t memBase = -1;     // FIS memory base; -1: the flash base
    bool locked = true;       // RedBoot: the erase blocks start locked
};

struct RedBootFlash {
    uint32_t flashBase = 0;  // address of the chip's first byte
    uint32_t flashSize = 0;
    uint32_t eraseSize = 0x10000;
    std::vector<Partition> partitions;  // in FIS directory order
    // The partition whose start holds the FIS directory (request nr 23
    // changes it); every named partition gets an entry, in order.
    std::string fisPartition = "FIS Directory";
    bool writeDirectory = true;  // false: the directory partition keeps its content
};

struct MsysFlash {
    uint32_t units = 967;               // chip size in 16384-byte blocks
    std::vector<Partition> partitions;  // exactly 8; row k is /dev/mtdk
};

struct MdMember {
    std::string name;               // kernel name, "sda1"
    std::string state = "in_sync";  // the sysfs state line
    std::string slot = "0";         // the sysfs slot line ("none" for a spare)
};

struct MdArray {
    int number = 0;     // /dev/mdN
    bool known = true;  // false: the placeholder exists, the driver answers ENODEV
    int level = 1;
    int raidDisks = 2;
    uint64_t sizeKib = 0;
    uint64_t bytes = 0;  // block-device size; 0: sizeKib x 1024
    int rebuild[3] = {0, 0, 0};
    std::vector<MdMember> members;
};

struct SimKernel {
    std::optional<RedBootFlash> redboot;  // at most one of the two flash kinds
    std::optional<MsysFlash> msys;
    std::string syscall401 = "ok";            // ok | enosys | errno number
    std::optional<uint32_t> syscall401Value;  // default: 1 with msys, else 0
    std::string syscall405 = "ok";
    std::string syscall405Release;                             // empty: as syscall405
    std::optional<uint64_t> uptime;                            // seconds
    std::vector<std::pair<std::string, uint64_t>> statfsFree;  // mount point, free bytes
    std::vector<MdArray> arrays;
    std::map<std::string, std::string> faults;  // "erase" -> "mtd2:1-", see sim/README.md
    std::map<std::string, std::string> extra;   // further keys as they stand
};

// Writes /sim/kernel.conf, /sim/flash.bin, the placeholders under /sim/dev
// and the RAID sysfs files, and removes any earlier kernel state.
bool InstallKernel(const std::string &root, const SimKernel &kernel, std::string *error);
// Sets one key of the kernel configuration (an empty value removes it);
// running processes see the change at their next device open or request.
bool SetKernelConf(const std::string &root, const std::string &key, const std::string &value,
                   std::string *error);
// Forgets the kernel state: partition table, locks and counters start again
// from the configuration.
bool ResetKernelState(const std::string &root);

// The flash and kernel state as the simulated kernel sees them now.
class FlashSnapshot {
public:
    FlashSnapshot();
    const KernelState &state() const { return *state_; }
    const std::string &flash() const { return flash_; }
    bool Present(int mtd) const { return state_->mtd[mtd].present != 0; }
    uint64_t Address(int mtd) const { return state_->flashBase + state_->mtd[mtd].offset; }
    uint64_t Size(int mtd) const { return state_->mtd[mtd].size; }
    // The bytes the device shows.
    std::string Partition(int mtd) const;
    // Every erase block of the device's window is locked / any is.
    bool Locked(int mtd) const;
    bool AnyLocked(int mtd) const;
    // The FIS directory in the directory device's window.
    std::vector<FisEntry> Fis() const;
    // How often the operation ran on the device (-1: on every device).
    uint64_t Count(Op op, int mtd = -1) const;

private:
    friend bool ReadFlash(const std::string &, FlashSnapshot *, std::string *);
    std::unique_ptr<KernelState> state_;
    std::string flash_;
};
bool ReadFlash(const std::string &root, FlashSnapshot *snapshot, std::string *error);

// Layouts of real units, every partition empty (content to be filled in):
// the junior variant (2 MiB at 0xFFE00000, 64 KiB blocks, /dev/mtd0-5, the
// FIS directory on /dev/mtd5, table order not the physical order), the full
// variant (8 MiB at 0xFF800000, /dev/mtd0-7, directory on /dev/mtd7, kernel,
// ramdisk and libraries contiguous) and the msys layout (967 units).
RedBootFlash JuniorFlash();
RedBootFlash FullFlash();
MsysFlash DefaultMsysFlash();
// The partition of that name (nullptr when there is none).
Partition *FindPartition(std::vector<Partition> &partitions, const std::string &name);

// n reproducible pseudo-random bytes (no 0xFF runs that could pass for erased flash).
std::string PatternBytes(size_t n, uint32_t seed);

// Appliance paths of the simulator's files (inside the root).
std::string KernelConfPath();  // honours VORL_SIM_KERNEL_CONF

}  // namespace vorlsim
