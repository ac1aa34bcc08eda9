// updater-progress: reads the progress file as the web page does and names
// the result at the end.
#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "updater.h"
#include "vorltest.h"

namespace {

struct Output {
    int status;
    std::string text;
};

Output Viewer(const std::string &args) {
    std::string cmd = std::string(VORL_PROGRESS_BIN) + " --root /view " + args + " 2>&1";
    FILE *p = popen(cmd.c_str(), "r");
    Output out{-1, ""};
    char buf[512];
    size_t n;
    while ((n = fread(buf, 1, sizeof(buf), p)) > 0)
        out.text.append(buf, n);
    int st = pclose(p);
    out.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return out;
}

}  // namespace

TEST(ProgressViewer, ShowsStageAndPercentage) {
    vorltest::WriteFile("/view" UPDT_PROGRESS_FILE, "P:65:      ");
    Output o = Viewer("--once");
    EXPECT_EQ(o.status, 0);
    EXPECT_NE(o.text.find("P flash patch"), std::string::npos) << o.text;
    EXPECT_NE(o.text.find("65%"), std::string::npos) << o.text;
    EXPECT_NE(o.text.find("[##########################..............]"), std::string::npos)
        << o.text;
}

TEST(ProgressViewer, NamesTheResultAndShowsOnlyItsOwnMessage) {
    struct Case {
        const char *progress;
        int code;
        const char *result;
        bool message;
    } cases[] = {
        {"R:0:        ", 0, "Result: 0 upgrade_success", false},
        {"A:-10:      ", 10, "Result: 10 error_version", false},  // an old message stays unshown
        {"P:-20:      ", 20, "Result: 20 error_update_unknown", false},
        {"A:-24:      ", 24, "Result: 24 error_reboot", true},
        {"R:-2:       ", 2, "Result: 2 error_dirop", false},
    };
    vorltest::WriteFile("/view" UPDT_MESSAGE_FILE,
                        std::string("extramsg=\"") + UPDT_MSG_REBOOT_FIRST + "\"\n");
    for (const Case &c : cases) {
        vorltest::WriteFile("/view" UPDT_PROGRESS_FILE, c.progress);
        Output o = Viewer("");
        EXPECT_EQ(o.status, c.code) << c.progress;
        EXPECT_NE(o.text.find(c.result), std::string::npos) << o.text;
        EXPECT_EQ(
            o.text.find(std::string("Message: ") + UPDT_MSG_REBOOT_FIRST) != std::string::npos,
            c.message)
            << o.text;
    }
}

TEST(ProgressViewer, RunWithoutAFinalValue) {
    vorltest::WriteFile("/view" UPDT_PROGRESS_FILE, "A:0:      ");
    pid_t gone = fork();
    if (gone == 0) _exit(0);
    waitpid(gone, nullptr, 0);
    Output o = Viewer("--pid " + std::to_string(gone));
    EXPECT_EQ(o.status, 100);
    EXPECT_NE(o.text.find("ended without a result"), std::string::npos) << o.text;

    vorltest::WriteFile("/view" UPDT_PROGRESS_FILE, "garbage");
    o = Viewer("--timeout 1 --interval 50");
    EXPECT_EQ(o.status, 101);
}
