// Linked into a test or benchmark program, this makes the program run with
// the kernel shim preloaded: before main() it starts itself again with
// libvorlshim.so in LD_PRELOAD (and, for sanitizer builds, without the
// sanitizer's check that its runtime comes first). Children inherit both.
#include <dlfcn.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>

namespace {

__attribute__((constructor)) void VorlsimPreload(int, char **argv, char **) {
    if (dlsym(RTLD_DEFAULT, "vorlsim_shim_present")) return;
    if (getenv("VORL_SIM_PRELOAD_TRIED")) {
        fprintf(stderr, "%s: the kernel shim %s could not be preloaded\n", argv[0],
                VORLSIM_SHIM_PATH);
        _exit(2);
    }
    setenv("VORL_SIM_PRELOAD_TRIED", "1", 1);
    std::string preload = VORLSIM_SHIM_PATH;
    if (const char *old = getenv("LD_PRELOAD"); old && *old) preload += std::string(" ") + old;
    setenv("LD_PRELOAD", preload.c_str(), 1);
    std::string asan = "verify_asan_link_order=0";
    if (const char *old = getenv("ASAN_OPTIONS"); old && *old) asan = std::string(old) + ":" + asan;
    setenv("ASAN_OPTIONS", asan.c_str(), 1);
    execv("/proc/self/exe", argv);
    fprintf(stderr, "%s: cannot restart with the kernel shim: %s\n", argv[0], strerror(errno));
    _exit(2);
}

}  // namespace
