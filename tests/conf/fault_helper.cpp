// conf_fault_helper OP ARGS...: runs one operation of the configuration-file
// library and prints "result=N err=0xNNNN". The tests start it with libfiu's
// preload libraries in LD_PRELOAD and FIU_ENABLE naming the calls to fail.
//
// libfiu has no failure points for fchown and fchmod; this program defines
// them as "vorltest/io/fchown" and "vorltest/io/fchmod" (calls from the
// statically linked library resolve to these definitions).
#include <dlfcn.h>
#include <errno.h>
#include <fiu.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include <vorl/conf.h>
#include <vorl/err.h>

#include "conf/file_rewrite.h"
#include "core/line_reader.h"

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

namespace {

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
