// vorl-mkappliance: makes a simulated appliance root of a profile and stages
// an update package in it.
//
//   vorl-mkappliance --root DIR [--profile FILE]... [--set KEY=VALUE]...
//
// Profiles are read in order, then the --set values; sim/README.md lists the
// keys. The root gets the appliance skeleton of tests/sandbox/vorl-sandbox;
// run programs in it with vorl-simrun.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "appliance.h"

#ifndef VORLSIM_SANDBOX
#error "VORLSIM_SANDBOX must name tests/sandbox/vorl-sandbox"
#endif

namespace {

void Usage() {
    fprintf(stderr,
            "usage: vorl-mkappliance --root DIR [--profile FILE]... [--set KEY=VALUE]...\n"
            "       (keys: see sim/README.md)\n");
}

}  // namespace

int main(int argc, char **argv) {
    std::string root;
    vorlsim::ApplianceProfile profile;
    std::string error;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (i + 1 >= argc) {
            Usage();
            return 2;
        }
        std::string v = argv[++i];
        if (a == "--root") {
            root = v;
        } else if (a == "--profile") {
            if (!vorlsim::LoadProfile(v, &profile, &error)) {
                fprintf(stderr, "vorl-mkappliance: %s\n", error.c_str());
                return 1;
            }
        } else if (a == "--set") {
            size_t eq = v.find('=');
            if (eq == std::string::npos ||
                !vorlsim::SetProfileKey(&profile, v.substr(0, eq), v.substr(eq + 1), &error)) {
                fprintf(stderr, "vorl-mkappliance: --set %s: %s\n", v.c_str(),
                        eq == std::string::npos ? "no '='" : error.c_str());
                return 1;
            }
        } else {
            Usage();
            return 2;
        }
    }
    if (root.empty() || root == "/") {
        Usage();
        return 2;
    }
    // The skeleton of an appliance root, as the sandbox makes it.
    pid_t pid = fork();
    if (pid == 0) {
        execl(VORLSIM_SANDBOX, VORLSIM_SANDBOX, "--root", root.c_str(), "--skeleton-only",
              static_cast<char *>(nullptr));
        _exit(127);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status)) {
        fprintf(stderr, "vorl-mkappliance: cannot make the skeleton in %s\n", root.c_str());
        return 1;
    }
    if (!vorlsim::CreateAppliance(root, profile, &error)) {
        fprintf(stderr, "vorl-mkappliance: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
