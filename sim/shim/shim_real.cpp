#include <dlfcn.h>

#include "shim.h"

namespace vorlsim::shim {

namespace {

template <typename F>
void Find(F *&fn, const char *name) {
    fn = reinterpret_cast<F *>(dlsym(RTLD_NEXT, name));
}

Real Resolve() {
    Real r{};
    Find(r.open, "open");
    Find(r.openat, "openat");
    Find(r.open_2, "__open_2");
    Find(r.openat_2, "__openat_2");
    Find(r.read, "read");
    Find(r.read_chk, "__read_chk");
    Find(r.write, "write");
    Find(r.pread, "pread");
    Find(r.pread_chk, "__pread_chk");
    Find(r.pwrite, "pwrite");
    Find(r.lseek, "lseek");
    Find(r.ioctl, "ioctl");
    Find(r.syscall, "syscall");
    Find(r.sysinfo, "sysinfo");
    Find(r.statfs, "statfs");
    Find(r.statvfs, "statvfs");
    return r;
}

}  // namespace

const Real &R() {
    static const Real real = Resolve();
    return real;
}

}  // namespace vorlsim::shim
