// main() of every test binary: refuses to run outside the appliance sandbox,
// so that no test can touch this machine's /etc, /tmp/lock or /dev.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

int main(int argc, char **argv) {
    const char *inside = getenv("VORL_SANDBOX");
    if (!inside || strcmp(inside, "1") != 0 || access("/etc/os-release", F_OK) == 0) {
        fprintf(stderr,
                "%s: test binaries run only inside the appliance sandbox "
                "(ctest runs them through tests/sandbox/vorl-sandbox)\n",
                argv[0]);
        return 2;
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
