#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include "shim.h"

namespace vorlsim::shim {

namespace {

bool ReadAll(const std::string &path, std::string *out) {
    int fd = R().open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    out->clear();
    char buf[4096];
    for (;;) {
        ssize_t n = R().read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        out->append(buf, static_cast<size_t>(n));
    }
    close(fd);
    return true;
}

// "[mtdN:]FROM[-[TO]][=ACTION[/ERRNO]]"
bool ParseFaultItem(const std::string &text, FaultItem *item) {
    std::string s = text;
    *item = FaultItem{};
    if (s.compare(0, 3, "mtd") == 0) {
        size_t colon = s.find(':');
        uint64_t dev;
        if (colon == std::string::npos || !ParseNumber(s.substr(3, colon - 3), &dev) ||
            dev >= static_cast<uint64_t>(kMaxMtd))
            return false;
        item->dev = static_cast<int>(dev);
        s = s.substr(colon + 1);
    }
    std::string action;
    size_t eq = s.find('=');
    if (eq != std::string::npos) {
        action = s.substr(eq + 1);
        s = s.substr(0, eq);
    }
    size_t dash = s.find('-');
    if (dash == std::string::npos) {
        if (!ParseNumber(s, &item->from) || item->from == 0) return false;
        item->to = item->from;
    } else {
        if (!ParseNumber(s.substr(0, dash), &item->from) || item->from == 0) return false;
        std::string to = s.substr(dash + 1);
        if (!to.empty() && !ParseNumber(to, &item->to)) return false;
    }
    if (action.empty() || action.compare(0, 4, "fail") == 0) {
        item->action = kActFail;
        size_t slash = action.find('/');
        if (slash != std::string::npos) {
            uint64_t e;
            if (!ParseNumber(action.substr(slash + 1), &e) || e == 0 || e > 4095) return false;
            item->err = static_cast<int>(e);
        }
    } else if (action == "corrupt") {
        item->action = kActCorrupt;
    } else if (action == "short") {
        item->action = kActShort;
    } else if (action == "ignore") {
        item->action = kActIgnore;
    } else {
        return false;
    }
    return true;
}

}  // namespace

Kernel &Kernel::Get() {
    static Kernel *kernel = new Kernel();  // never destroyed: used until the last exit handler
    return *kernel;
}

void Kernel::Refresh() {
    LoadConf();
    if (haveConf_) MapState();
}

void Kernel::LoadConf() {
    loaded_ = true;
    const char *env = getenv(kConfEnv);
    confPath_ = env && *env ? env : kDefaultConfPath;
    struct stat st;
    if (stat(confPath_.c_str(), &st) != 0) {
        if (haveConf_ || confMtime_ != -2) {
            haveConf_ = false;
            conf_ = KernelConf();
            for (auto &f : faults_)
                f.clear();
            anyDevice_ = false;
            confMtime_ = -2;
        }
        return;
    }
    int64_t mtime = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    if (haveConf_ && st.st_dev == confDev_ && st.st_ino == confIno_ && st.st_size == confSize_ &&
        mtime == confMtime_)
        return;
    std::string text;
    if (!ReadAll(confPath_, &text)) return;
    confDev_ = st.st_dev;
    confIno_ = st.st_ino;
    confSize_ = st.st_size;
    confMtime_ = mtime;
    haveConf_ = true;
    conf_.Parse(text);
    for (uint32_t op = 0; op < kOpCount; op++) {
        faults_[op].clear();
        std::string rule = conf_.Get(std::string("fault_") + kOpNames[op]);
        uint32_t h = 2166136261u;  // FNV-1a, never 0 for a set key
        for (char c : rule)
            h = (h ^ static_cast<uint8_t>(c)) * 16777619u;
        faultHash_[op] = rule.empty() ? 0 : (h ? h : 1);
        for (const std::string &item : SplitFields(rule, ", \t")) {
            FaultItem f;
            if (ParseFaultItem(item, &f))
                faults_[op].push_back(f);
            else
                fprintf(stderr, "vorlshim: bad fault_%s item \"%s\"\n", kOpNames[op], item.c_str());
        }
    }
    ScanDevices();
    // The state file may be another one now, and so may the flash file.
    if (state_) {
        munmap(state_, sizeof *state_);
        state_ = nullptr;
    }
}

void Kernel::ScanNode(Kind kind, int i) {
    Node &node = kind == kMtd ? mtd_[i] : md_[i];
    node = Node{};
    std::string name = (kind == kMtd ? "mtd" : "md") + std::to_string(i);
    for (const std::string &p :
         {conf_.Get("dev_dir", kDefaultDevDir) + "/" + name, "/dev/" + name}) {
        struct stat st;
        if (stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            node = Node{true, st.st_dev, st.st_ino, p};
            anyDevice_ = true;
            return;
        }
    }
}

void Kernel::ScanDevices() {
    anyDevice_ = false;
    for (int i = 0; i < kMaxMtd; i++)
        ScanNode(kMtd, i);
    for (int i = 0; i < kMaxMd; i++)
        ScanNode(kMd, i);
}

void Kernel::MapState() {
    std::string path = conf_.Get("state_file", kDefaultStatePath);
    struct stat st;
    if (state_ && path == statePath_ && stat(path.c_str(), &st) == 0 && st.st_ino == stateIno_)
        return;
    if (state_) munmap(state_, sizeof *state_);
    state_ = nullptr;
    if (stateFd_ >= 0) close(stateFd_);
    if (flashFd_ >= 0) close(flashFd_);
    flashFd_ = -1;
    statePath_ = path;
    stateFd_ = R().open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (stateFd_ < 0) {
        fprintf(stderr, "vorlshim: cannot open %s: %s\n", path.c_str(), strerror(errno));
        return;
    }
    flock(stateFd_, LOCK_EX);
    auto fresh = std::make_unique<KernelState>();
    bool ok = fstat(stateFd_, &st) == 0;
    bool valid = ok && st.st_size == static_cast<off_t>(sizeof(KernelState)) &&
                 R().pread(stateFd_, fresh.get(), sizeof(KernelState), 0) ==
                     static_cast<ssize_t>(sizeof(KernelState)) &&
                 memcmp(fresh->magic, kStateMagic, sizeof kStateMagic) == 0 &&
                 fresh->version == kStateVersion;
    if (ok && !valid) {
        std::string error;
        if (!InitialState(conf_, fresh.get(), &error)) {
            fprintf(stderr, "vorlshim: %s: %s\n", confPath_.c_str(), error.c_str());
            ok = false;
        } else {
            ok = ftruncate(stateFd_, 0) == 0 &&
                 R().pwrite(stateFd_, fresh.get(), sizeof(KernelState), 0) ==
                     static_cast<ssize_t>(sizeof(KernelState));
        }
    }
    if (ok) {
        void *p =
            mmap(nullptr, sizeof(KernelState), PROT_READ | PROT_WRITE, MAP_SHARED, stateFd_, 0);
        if (p != MAP_FAILED) {
            state_ = static_cast<KernelState *>(p);
            stateIno_ = st.st_ino;
        }
    }
    flock(stateFd_, LOCK_UN);
    if (state_ && state_->layout != kLayoutNone) {
        std::string flash = conf_.Get("flash_file", kDefaultFlashPath);
        flashFd_ = R().open(flash.c_str(), O_RDWR | O_CLOEXEC);
        if (flashFd_ < 0)
            fprintf(stderr, "vorlshim: cannot open %s: %s\n", flash.c_str(), strerror(errno));
    }
}

Dev Kernel::Classify(int fd) {
    if (fd < 0) return Dev{};
    if (!loaded_) {
        std::lock_guard<std::recursive_mutex> g(mu_);
        if (!loaded_) Refresh();
    }
    if (!anyDevice_) return Dev{};
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return Dev{};
    std::lock_guard<std::recursive_mutex> g(mu_);
    // A placeholder that was removed may have left its inode number to a new
    // file: a match counts only while the placeholder still has it.
    auto confirm = [&](Kind kind, int i) {
        Node &node = kind == kMtd ? mtd_[i] : md_[i];
        struct stat now;
        if (stat(node.path.c_str(), &now) == 0 && now.st_ino == node.ino && now.st_dev == node.dev)
            return true;
        ScanNode(kind, i);
        return node.present && node.ino == st.st_ino && node.dev == st.st_dev;
    };
    for (int i = 0; i < kMaxMtd; i++)
        if (mtd_[i].present && mtd_[i].ino == st.st_ino && mtd_[i].dev == st.st_dev &&
            confirm(kMtd, i))
            return Dev{kMtd, i};
    for (int i = 0; i < kMaxMd; i++)
        if (md_[i].present && md_[i].ino == st.st_ino && md_[i].dev == st.st_dev && confirm(kMd, i))
            return Dev{kMd, i};
    return Dev{};
}

bool Kernel::DevicePath(const char *path, std::string *placeholder, Dev *dev) {
    if (!path || strncmp(path, "/dev/m", 6) != 0) return false;
    Kind kind;
    const char *digits;
    if (strncmp(path, "/dev/mtd", 8) == 0) {
        kind = kMtd;
        digits = path + 8;
    } else if (strncmp(path, "/dev/md", 7) == 0) {
        kind = kMd;
        digits = path + 7;
    } else {
        return false;
    }
    if (*digits < '0' || *digits > '9' || strlen(digits) > 2) return false;
    char *end;
    long n = strtol(digits, &end, 10);
    if (*end != '\0') return false;
    if ((kind == kMtd && n >= kMaxMtd) || (kind == kMd && n >= kMaxMd)) return false;
    Refresh();
    if (!haveConf_) return false;
    ScanNode(kind, static_cast<int>(n));  // the placeholder may have been made since
    const Node &node = kind == kMtd ? mtd_[n] : md_[n];
    if (!haveConf_ || !node.present) return false;
    *placeholder = node.path;
    *dev = Dev{kind, static_cast<int>(n)};
    return true;
}

Hit Kernel::Count(Op op, int dev) {
    Hit hit;
    if (!state_ || dev < 0 || dev >= kMaxMtd) return hit;
    if (!faults_[op].empty() && state_->faultHash[op] != faultHash_[op]) {
        // A new setting: its counts start now, for every process.
        LockState();
        if (state_->faultHash[op] != faultHash_[op]) {
            for (int d = 0; d <= kMaxMtd; d++)
                state_->faultBase[op][d] =
                    __atomic_load_n(&state_->counters[op][d], __ATOMIC_SEQ_CST);
            state_->faultHash[op] = faultHash_[op];
        }
        UnlockState();
    }
    uint64_t onDev = __atomic_add_fetch(&state_->counters[op][dev], 1, __ATOMIC_SEQ_CST) -
                     state_->faultBase[op][dev];
    uint64_t onAll = __atomic_add_fetch(&state_->counters[op][kMaxMtd], 1, __ATOMIC_SEQ_CST) -
                     state_->faultBase[op][kMaxMtd];
    // A slow flash for watching a run (the demo); off unless configured.
    if (op == kOpRead || op == kOpWrite || op == kOpErase) {
        uint64_t delay = conf_.GetNumber("delay_us", 0);
        if (delay) usleep(static_cast<useconds_t>(delay < 1000000 ? delay : 1000000));
    }
    for (const FaultItem &f : faults_[op]) {
        uint64_t n;
        if (f.dev < 0)
            n = onAll;
        else if (f.dev == dev)
            n = onDev;
        else
            continue;
        if (n >= f.from && n <= f.to) {
            hit.action = f.action;
            hit.err = f.err;
            return hit;
        }
    }
    return hit;
}

void Kernel::LockState() {
    if (stateFd_ >= 0) flock(stateFd_, LOCK_EX);
}

void Kernel::UnlockState() {
    if (stateFd_ >= 0) flock(stateFd_, LOCK_UN);
}

}  // namespace vorlsim::shim
