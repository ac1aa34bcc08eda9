// conf_fault_helper OP ARGS...: runs one operation of the configuration-file
// library and prints "result=N err=0xNNNN". The tests start it with libfiu's
// preload libraries in LD_PRELOAD and FIU_ENABLE naming the calls to fail.
//
// libfiu has no failure points for fchown, fchmod and flock; this program
// defines them as "vorltest/io/fchown", "vorltest/io/fchmod" and
// "vorltest/io/flock-unlock" (unlocking only); calls from the statically
// linked library resolve to these definitions.
#include <dlfcn.h>
#include <errno.h>
#include <fiu.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include <vorl/conf.h>
#include <vorl/err.h>
#include <vorl/file_lock.h>

#include "conf/file_rewrite.h"
#include "conf/lock_table.h"
#include "core/line_reader.h"
#include "core/raii.h"

extern "C" int fchown(int fd, uid_t uid, gid_t gid) {
    if (fiu_fail("vorltest/io/fchown")) {
        errno = static_cast<int>(reinterpret_cast<intptr_t>(fiu_failinfo()));
        return -1;
    }
    using Fn = int (*)(int, uid_t, gid_t);
    static Fn real = reinterpret_cast<Fn>(dlsym(RTLD_NEXT, "fchown"));
    return real(fd, uid, gid);
}

extern "C" int fchmod(int fd, mode_t mode) {
    if (fiu_fail("vorltest/io/fchmod")) {
        errno = static_cast<int>(reinterpret_cast<intptr_t>(fiu_failinfo()));
        return -1;
    }
    using Fn = int (*)(int, mode_t);
    static Fn real = reinterpret_cast<Fn>(dlsym(RTLD_NEXT, "fchmod"));
    return real(fd, mode);
}

extern "C" int flock(int fd, int op) {
    if ((op & LOCK_UN) && fiu_fail("vorltest/io/flock-unlock")) {
        errno = static_cast<int>(reinterpret_cast<intptr_t>(fiu_failinfo()));
        return -1;
    }
    using Fn = int (*)(int, int);
    static Fn real = reinterpret_cast<Fn>(dlsym(RTLD_NEXT, "flock"));
    return real(fd, op);
}

namespace {

// Takes the pw and gr locks and releases them; prints how many lock
// entries stay open afterwards.
int LockUnlock() {
    if (ErrVLIBFileLock(0x36, 0) != 0) return -2;
    int r = ErrVLIBFileUnlock(0x30);
    int cOpen = 0;
    for (const vorl::LockEntry *e = vorl::g_rgLockEntry; e->id != 0; ++e)
        if (e->fd || e->cHold != 0) ++cOpen;
    printf("open=%d ", cOpen);
    return r;
}

const char *Arg(const std::vector<std::string> &a, size_t i) {
    if (i >= a.size()) {
        fprintf(stderr, "conf_fault_helper: missing argument %zu\n", i);
        exit(2);
    }
    return a[i] == "-" ? nullptr : a[i].c_str();
}

// The rewrite mechanism on its own: copies the file and appends a line.
int Rewrite(const char *szPath) {
    vorl::FileRewrite rw;
    if (rw.Open(szPath) != vorl::FileRewrite::kOpened || !rw.Start()) return -1;
    vorl::LineReader rd(rw.in());
    while (rd.Next())
        if (!rw.Put(rd.view())) return -1;
    if (!rd.AtEof()) {
        VLIBErrSetNoPos(ERR_WRITE_FAILED);
        return -1;
    }
    if (!rw.Put("added=1\n") || !rw.Commit()) return -1;
    return 1;
}

using Op = std::function<int(const std::vector<std::string> &)>;

const std::map<std::string, Op> &Ops() {
    static const std::map<std::string, Op> ops = {
        {"rewrite", [](auto &a) { return Rewrite(Arg(a, 0)); }},
        {"lock-unlock", [](auto &) { return LockUnlock(); }},
        {"get-key-value",
         [](auto &a) {
             char buf[256];
             return VLIBFileGetKeyValue(Arg(a, 0), Arg(a, 1), buf, sizeof buf, 0);
         }},
        {"set-key-value",
         [](auto &a) {
             return VLIBFileSetKeyValue(Arg(a, 0), Arg(a, 1), Arg(a, 2), VORL_KEY_QUOTED_FORMAT);
         }},
        {"remove-key", [](auto &a) { return VLIBFileRemoveKey(Arg(a, 0), Arg(a, 1)); }},
        {"set-keys",
         [](auto &a) {
             vorl::SzHashHandle set(PshVLIBSzHashAlloc(512)), remove(PshVLIBSzHashAlloc(512));
             VLIBSzHashSetValue(&set.p, Arg(a, 1), Arg(a, 2));
             VLIBSzHashSetValue(&remove.p, Arg(a, 3), "");
             return VLIBFileSetKeys(Arg(a, 0), set.p, remove.p, nullptr);
         }},
        {"get-keys",
         [](auto &a) {
             vorl::SzHashHandle hash(PshVLIBSzHashAlloc(512));
             return VLIBFileGetKeys(Arg(a, 0), nullptr, &hash.p, "=");
         }},
        {"get-line",
         [](auto &a) {
             char buf[256];
             return VLIBFileGetLine(Arg(a, 0), Arg(a, 1), buf, sizeof buf, 0);
         }},
        {"add-line",
         [](auto &a) { return VLIBFileAddLine(Arg(a, 0), Arg(a, 1), Arg(a, 2), atoi(Arg(a, 3))); }},
        {"set-line",
         [](auto &a) { return VLIBFileSetLine(Arg(a, 0), Arg(a, 1), Arg(a, 2), atoi(Arg(a, 3))); }},
        {"replace-substr",
         [](auto &a) { return VLIBFileReplaceSubStr(Arg(a, 0), Arg(a, 1), Arg(a, 2)); }},
        {"get-section",
         [](auto &a) {
             vorl::SzHashHandle hash(PshVLIBSzHashAlloc(512));
             return VLIBFileGetSection(Arg(a, 0), Arg(a, 1), &hash.p);
         }},
        {"add-section",
         [](auto &a) {
             vorl::SzHashHandle hash(PshVLIBSzHashAlloc(512));
             VLIBSzHashSetValue(&hash.p, Arg(a, 2), Arg(a, 3));
             return ErrVLIBFileAddSection(Arg(a, 0), Arg(a, 1), hash.p, nullptr);
         }},
        {"set-section",
         [](auto &a) {
             vorl::SzHashHandle hash(PshVLIBSzHashAlloc(512));
             VLIBSzHashSetValue(&hash.p, Arg(a, 3), Arg(a, 4));
             return ErrVLIBFileSetSection(Arg(a, 0), Arg(a, 1), Arg(a, 2), hash.p, nullptr);
         }},
    };
    return ops;
}

}  // namespace

int main(int argc, char **argv) {
    fiu_init(0);
    if (argc < 2 || !Ops().count(argv[1])) {
        fprintf(stderr, "usage: conf_fault_helper OP ARGS...\n");
        return 2;
    }
    std::vector<std::string> args(argv + 2, argv + argc);
    VLIBErrSetNoPos(0);
    int result = Ops().at(argv[1])(args);
    printf("result=%d err=0x%04X\n", result, VLIBErrGet());
    return 0;
}
