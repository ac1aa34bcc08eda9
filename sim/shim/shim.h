// libvorlshim.so: the simulated appliance kernel, preloaded (LD_PRELOAD) into
// every process of a simulated appliance. It plays the MTD flash drivers on
// placeholder files, the vendor system calls, sysinfo, statfs and the md RAID
// requests, with fault injection (sim/README.md). Only calls made through the
// dynamic linker reach it.
#pragma once

#include <stdint.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/sysinfo.h>
#include <sys/types.h>

#include <mutex>
#include <string>
#include <vector>

#include "kernel_conf.h"
#include "kernel_state.h"

namespace vorlsim::shim {

// The C library's own functions, found past the shim.
struct Real {
    int (*open)(const char *, int, ...);
    int (*openat)(int, const char *, int, ...);
    int (*open_2)(const char *, int);
    int (*openat_2)(int, const char *, int);
    ssize_t (*read)(int, void *, size_t);
    ssize_t (*read_chk)(int, void *, size_t, size_t);
    ssize_t (*write)(int, const void *, size_t);
    ssize_t (*pread)(int, void *, size_t, off_t);
    ssize_t (*pread_chk)(int, void *, size_t, off_t, size_t);
    ssize_t (*pwrite)(int, const void *, size_t, off_t);
    off_t (*lseek)(int, off_t, int);
    int (*ioctl)(int, unsigned long, ...);
    long (*syscall)(long, ...);
    int (*sysinfo)(struct sysinfo *);
    int (*statfs)(const char *, struct statfs *);
    int (*statvfs)(const char *, struct statvfs *);
};
const Real &R();

enum Kind { kNone, kMtd, kMd };
struct Dev {
    Kind kind = kNone;
    int index = -1;
};

inline constexpr int kMaxMd = 32;

// What an injected fault does to one operation.
enum Action { kActNone, kActFail, kActCorrupt, kActShort, kActIgnore };
struct Hit {
    Action action = kActNone;
    int err = 0;
};

struct FaultItem {
    int dev = -1;  // -1: the count over every device
    uint64_t from = 1, to = UINT64_MAX;
    Action action = kActFail;
    int err = 5;  // EIO
};

class Kernel {
public:
    static Kernel &Get();

    // Rereads the configuration when it changed and (re)maps the state file
    // when it is new or was replaced. Call with mu() held.
    void Refresh();
    // Which simulated device an open descriptor is, by its file identity.
    Dev Classify(int fd);
    // When path names a simulated device ("/dev/mtd3", "/dev/md0") with a
    // placeholder, stores the placeholder's path and the device.
    bool DevicePath(const char *path, std::string *placeholder, Dev *dev);

    // Each of these expects Refresh() to have run.
    KernelState *state() { return state_; }
    int flashFd() { return flashFd_; }
    const KernelConf &conf() { return conf_; }
    bool configured() const { return haveConf_; }
    // Counts one operation on MTD device dev and answers the fault it meets.
    Hit Count(Op op, int dev);
    // flock on the state file around changes of the partition table.
    void LockState();
    void UnlockState();

    std::recursive_mutex &mu() { return mu_; }

private:
    Kernel() = default;
    void LoadConf();
    void MapState();
    void ScanDevices();
    void ScanNode(Kind kind, int index);

    std::recursive_mutex mu_;
    bool loaded_ = false;
    bool haveConf_ = false;
    std::string confPath_;
    dev_t confDev_ = 0;
    ino_t confIno_ = 0;
    off_t confSize_ = -1;
    int64_t confMtime_ = -1;
    KernelConf conf_;
    std::vector<FaultItem> faults_[kOpCount];
    uint32_t faultHash_[kOpCount] = {};

    struct Node {
        bool present = false;
        dev_t dev = 0;
        ino_t ino = 0;
        std::string path;
    };
    Node mtd_[kMaxMtd];
    Node md_[kMaxMd];
    bool anyDevice_ = false;

    std::string statePath_;
    int stateFd_ = -1;
    ino_t stateIno_ = 0;
    KernelState *state_ = nullptr;
    int flashFd_ = -1;
};

// MTD device operations (shim_mtd.cpp); pos < 0 means the descriptor's position.
ssize_t MtdRead(int fd, int index, void *buf, size_t n, off_t pos);
ssize_t MtdWrite(int fd, int index, const void *buf, size_t n, off_t pos);
off_t MtdSeekEnd(int fd, int index, off_t off);
int MtdIoctl(int index, unsigned long request, unsigned long arg);
int MdIoctl(int index, unsigned long request, unsigned long arg);

}  // namespace vorlsim::shim
