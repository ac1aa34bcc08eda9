// The file calls the shim takes over: opens of /dev/mtdN and /dev/mdN go to
// their placeholders, and reads, writes and seeks on an MTD placeholder go to
// the device's window over the flash file.
#include <fcntl.h>
#include <stdarg.h>
#include <string.h>
#include <unistd.h>

#include "shim.h"

using namespace vorlsim;
using namespace vorlsim::shim;

static_assert(sizeof(off_t) == 8, "the shim is built for 64-bit file offsets");

namespace {

bool MaybeDevice(const char *path) {
    return path && strncmp(path, "/dev/m", 6) == 0;
}

// -2: not a simulated device, go on with the real call.
int OpenDevice(const char *path, int flags) {
    if (!MaybeDevice(path)) return -2;
    Kernel &k = Kernel::Get();
    std::string placeholder;
    Dev dev;
    {
        std::lock_guard<std::recursive_mutex> g(k.mu());
        if (!k.DevicePath(path, &placeholder, &dev)) return -2;
        if (dev.kind == kMtd) {
            KernelState *st = k.state();
            if (!st || !st->mtd[dev.index].present) {
                errno = ENODEV;
                return -1;
            }
            Hit hit = k.Count(kOpOpen, dev.index);
            if (hit.action == kActFail) {
                errno = hit.err;
                return -1;
            }
        }
    }
    return R().open(placeholder.c_str(), flags & ~(O_CREAT | O_TRUNC | O_EXCL | O_TMPFILE));
}

mode_t ModeArg(int flags, va_list ap) {
    return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(ap, int) : 0;
}

int MtdIndex(int fd) {
    Dev d = Kernel::Get().Classify(fd);
    return d.kind == kMtd ? d.index : -1;
}

}  // namespace

extern "C" {

int open(const char *path, int flags, ...) {
    va_list ap;
    va_start(ap, flags);
    mode_t mode = ModeArg(flags, ap);
    va_end(ap);
    int fd = OpenDevice(path, flags);
    return fd != -2 ? fd : R().open(path, flags, mode);
}

int open64(const char *path, int flags, ...) {
    va_list ap;
    va_start(ap, flags);
    mode_t mode = ModeArg(flags, ap);
    va_end(ap);
    return open(path, flags, mode);
}

int __open_2(const char *path, int flags) {
    int fd = OpenDevice(path, flags);
    return fd != -2 ? fd : R().open_2(path, flags);
}

int __open64_2(const char *path, int flags) {
    return __open_2(path, flags);
}

int openat(int dirfd, const char *path, int flags, ...) {
    va_list ap;
    va_start(ap, flags);
    mode_t mode = ModeArg(flags, ap);
    va_end(ap);
    int fd = OpenDevice(path, flags);
    return fd != -2 ? fd : R().openat(dirfd, path, flags, mode);
}

int openat64(int dirfd, const char *path, int flags, ...) {
    va_list ap;
    va_start(ap, flags);
    mode_t mode = ModeArg(flags, ap);
    va_end(ap);
    return openat(dirfd, path, flags, mode);
}

int __openat_2(int dirfd, const char *path, int flags) {
    int fd = OpenDevice(path, flags);
    return fd != -2 ? fd : R().openat_2(dirfd, path, flags);
}

int __openat64_2(int dirfd, const char *path, int flags) {
    return __openat_2(dirfd, path, flags);
}

ssize_t read(int fd, void *buf, size_t n) {
    int i = MtdIndex(fd);
    return i >= 0 ? MtdRead(fd, i, buf, n, -1) : R().read(fd, buf, n);
}

ssize_t __read_chk(int fd, void *buf, size_t n, size_t buflen) {
    int i = MtdIndex(fd);
    return i >= 0 ? MtdRead(fd, i, buf, n < buflen ? n : buflen, -1)
                  : R().read_chk(fd, buf, n, buflen);
}

ssize_t pread(int fd, void *buf, size_t n, off_t pos) {
    int i = MtdIndex(fd);
    if (i >= 0 && pos < 0) {
        errno = EINVAL;
        return -1;
    }
    return i >= 0 ? MtdRead(fd, i, buf, n, pos) : R().pread(fd, buf, n, pos);
}

ssize_t pread64(int fd, void *buf, size_t n, off_t pos) {
    return pread(fd, buf, n, pos);
}

ssize_t __pread_chk(int fd, void *buf, size_t n, off_t pos, size_t buflen) {
    int i = MtdIndex(fd);
    if (i < 0) return R().pread_chk(fd, buf, n, pos, buflen);
    return pread(fd, buf, n < buflen ? n : buflen, pos);
}

ssize_t __pread64_chk(int fd, void *buf, size_t n, off_t pos, size_t buflen) {
    return __pread_chk(fd, buf, n, pos, buflen);
}

ssize_t write(int fd, const void *buf, size_t n) {
    int i = MtdIndex(fd);
    return i >= 0 ? MtdWrite(fd, i, buf, n, -1) : R().write(fd, buf, n);
}

ssize_t pwrite(int fd, const void *buf, size_t n, off_t pos) {
    int i = MtdIndex(fd);
    if (i >= 0 && pos < 0) {
        errno = EINVAL;
        return -1;
    }
    return i >= 0 ? MtdWrite(fd, i, buf, n, pos) : R().pwrite(fd, buf, n, pos);
}

ssize_t pwrite64(int fd, const void *buf, size_t n, off_t pos) {
    return pwrite(fd, buf, n, pos);
}

off_t lseek(int fd, off_t off, int whence) {
    if (whence == SEEK_END) {
        int i = MtdIndex(fd);
        if (i >= 0) return MtdSeekEnd(fd, i, off);
    }
    return R().lseek(fd, off, whence);
}

off_t lseek64(int fd, off_t off, int whence) {
    return lseek(fd, off, whence);
}

}  // extern "C"
