// ioctl dispatch, the vendor system calls 401 and 405, sysinfo and statfs.
#include <errno.h>
#include <stdarg.h>
#include <string.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "shim.h"

using namespace vorlsim;
using namespace vorlsim::shim;

namespace {

inline constexpr long kSysFlashLayout = 401;
inline constexpr long kSysMtdBuffer = 405;

// "ok" -> 0, "enosys" -> ENOSYS, a number -> that errno.
int ModeErrno(const std::string &mode) {
    if (mode.empty() || mode == "ok") return 0;
    if (mode == "enosys" || mode == "ENOSYS") return ENOSYS;
    uint64_t e;
    return ParseNumber(mode, &e) && e > 0 && e < 4096 ? static_cast<int>(e) : EINVAL;
}

// The configured free space for a path: the longest configured path that is
// the path itself or one of its parent directories.
bool StatfsFor(const char *path, uint64_t *freeBytes, uint64_t *totalBytes) {
    Kernel &k = Kernel::Get();
    std::lock_guard<std::recursive_mutex> g(k.mu());
    k.Refresh();
    if (!k.configured() || !path) return false;
    std::string p = path;
    if (p.empty() || p[0] != '/') {
        char cwd[4096];
        if (!getcwd(cwd, sizeof cwd)) return false;
        p = std::string(cwd) + "/" + p;
    }
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    size_t best = 0;
    bool found = false;
    for (const std::string &item : SplitFields(k.conf().Get("statfs_free"), ",")) {
        std::vector<std::string> f = SplitFields(item, ":");
        uint64_t fb, tb = 0;
        if (f.size() < 2 || !ParseNumber(f[1], &fb) || (f.size() > 2 && !ParseNumber(f[2], &tb)))
            continue;
        std::string mount = f[0];
        while (mount.size() > 1 && mount.back() == '/')
            mount.pop_back();
        bool match = mount == "/" || p == mount ||
                     (p.compare(0, mount.size(), mount) == 0 && p[mount.size()] == '/');
        if (match && (!found || mount.size() > best)) {
            found = true;
            best = mount.size();
            *freeBytes = fb;
            *totalBytes = tb;
        }
    }
    return found;
}

}  // namespace

extern "C" {

int ioctl(int fd, unsigned long request, ...) {
    va_list ap;
    va_start(ap, request);
    unsigned long arg = va_arg(ap, unsigned long);
    va_end(ap);
    Dev d = Kernel::Get().Classify(fd);
    if (d.kind == kMtd) return MtdIoctl(d.index, request, arg);
    if (d.kind == kMd) return MdIoctl(d.index, request, arg);
    return R().ioctl(fd, request, arg);
}

long syscall(long number, ...) {
    va_list ap;
    va_start(ap, number);
    long a[6];
    for (long &x : a)
        x = va_arg(ap, long);
    va_end(ap);
    if (number == kSysFlashLayout || number == kSysMtdBuffer) {
        Kernel &k = Kernel::Get();
        std::lock_guard<std::recursive_mutex> g(k.mu());
        k.Refresh();
        if (k.configured()) {
            KernelState *st = k.state();
            const KernelConf &conf = k.conf();
            if (number == kSysFlashLayout) {
                if (st) __atomic_add_fetch(&st->sys401Calls, 1, __ATOMIC_SEQ_CST);
                int err = ModeErrno(conf.Get("syscall_401", "ok"));
                if (err) {
                    errno = err;
                    return -1;
                }
                bool msys = st && st->layout == kLayoutMsys;
                auto value = static_cast<uint32_t>(conf.GetNumber("syscall_401_value", msys));
                if (!a[0]) {
                    errno = EFAULT;
                    return -1;
                }
                memcpy(reinterpret_cast<void *>(a[0]), &value, sizeof value);
                return 0;
            }
            bool alloc = a[0] == 1;
            if (st)
                __atomic_add_fetch(alloc ? &st->sys405Alloc : &st->sys405Release, 1,
                                   __ATOMIC_SEQ_CST);
            std::string mode = conf.Get("syscall_405", "ok");
            if (!alloc && conf.Has("syscall_405_release")) mode = conf.Get("syscall_405_release");
            int err = ModeErrno(mode);
            if (err) {
                errno = err;
                return -1;
            }
            if (st) st->sys405Held = alloc ? 1 : 0;
            return 0;
        }
    }
    return R().syscall(number, a[0], a[1], a[2], a[3], a[4], a[5]);
}

int sysinfo(struct sysinfo *info) {
    int r = R().sysinfo(info);
    if (r == 0 && info) {
        Kernel &k = Kernel::Get();
        std::lock_guard<std::recursive_mutex> g(k.mu());
        k.Refresh();
        if (k.configured() && k.conf().Has("uptime"))
            info->uptime = static_cast<long>(k.conf().GetNumber("uptime", 0));
    }
    return r;
}

int statfs(const char *path, struct statfs *buf) {
    int r = R().statfs(path, buf);
    uint64_t fb, tb;
    if (r == 0 && StatfsFor(path, &fb, &tb)) {
        uint64_t bs = buf->f_bsize > 0 ? static_cast<uint64_t>(buf->f_bsize) : 4096;
        buf->f_bfree = buf->f_bavail = fb / bs;
        if (tb) buf->f_blocks = tb / bs;
    }
    return r;
}

int statfs64(const char *path, struct statfs64 *buf) {
    static_assert(sizeof(struct statfs64) == sizeof(struct statfs));
    return statfs(path, reinterpret_cast<struct statfs *>(buf));
}

int statvfs(const char *path, struct statvfs *buf) {
    int r = R().statvfs(path, buf);
    uint64_t fb, tb;
    if (r == 0 && StatfsFor(path, &fb, &tb)) {
        uint64_t bs = buf->f_frsize ? buf->f_frsize : (buf->f_bsize ? buf->f_bsize : 4096);
        buf->f_bfree = buf->f_bavail = fb / bs;
        if (tb) buf->f_blocks = tb / bs;
    }
    return r;
}

int statvfs64(const char *path, struct statvfs64 *buf) {
    static_assert(sizeof(struct statvfs64) == sizeof(struct statvfs));
    return statvfs(path, reinterpret_cast<struct statvfs *>(buf));
}

// A marker a program may look up to learn that it runs on the simulator.
int vorlsim_shim_present(void) {
    return 1;
}

}  // extern "C"
