#include <gtest/gtest.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <string>

#include "vorltest.h"

#include <vorl/err.h>
#include <vorl/file_lock.h>
#include <vorl/str_util.h>

namespace {

int Sh(const char *script) {
    return VLIBProcExec("/bin/sh", "-c", script, nullptr, nullptr);
}

// Restores SIGCHLD's action at the end of a test.
class SigchldRestore {
public:
    SigchldRestore() { sigaction(SIGCHLD, nullptr, &old_); }
    ~SigchldRestore() { sigaction(SIGCHLD, &old_, nullptr); }

private:
    struct sigaction old_;
};

}  // namespace

TEST(ProcExec, AnswersTheExitStatus) {
    EXPECT_EQ(Sh("exit 3"), 3);
    EXPECT_EQ(Sh("exit 0"), 0);
    EXPECT_EQ(Sh("exit 255"), 255);
    EXPECT_EQ(VLIBProcExec("/bin/true", nullptr, nullptr, nullptr, nullptr), 0);
    // A program that cannot be started: the child's own exit status.
    EXPECT_EQ(VLIBProcExec("/no/such/program", "x", nullptr, nullptr, nullptr), 255);
}

TEST(ProcExec, PassesArgumentsWithoutAShell) {
    const char *script = "printf '%s|' \"$0\" \"$@\" > /tmp/args";
    ASSERT_EQ(VLIBProcExec("/bin/sh", "-c", script, "a b", "$(touch /tmp/pwned);x"), 0);
    EXPECT_EQ(vorltest::ReadFile("/tmp/args"), "a b|$(touch /tmp/pwned);x|");
    EXPECT_FALSE(vorltest::Exists("/tmp/pwned"));
    // Argument 0 is the path; the arguments end at the first NULL.
    ASSERT_EQ(VLIBProcExec("/bin/sh", "-c", script, nullptr, "ignored"), 0);
    EXPECT_EQ(vorltest::ReadFile("/tmp/args"), "/bin/sh|");

    const char *argv[] = {"sh", "-c", "exit $#", "zero", "one", "two", nullptr};
    EXPECT_EQ(VLIBProcExecArgv(argv), 2);  // found through PATH
}

TEST(ProcExec, SignalDeathAndBadArgumentsFail) {
    VLIBErrSetNoPos(0);
    EXPECT_EQ(Sh("kill -KILL $$"), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_EXEC_FAILED));
    EXPECT_STREQ(VLIBErrGetFile(), "proc_exec.c");

    VLIBErrSetNoPos(0);
    EXPECT_EQ(VLIBProcExec(nullptr, nullptr, nullptr, nullptr, nullptr), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS));
    const char *empty[] = {nullptr};
    EXPECT_EQ(VLIBProcExecArgv(empty), -1);
}

TEST(ProcExec, RealStatusWhileSigchldIsIgnored) {
    SigchldRestore restore;
    signal(SIGCHLD, SIG_IGN);
    EXPECT_EQ(Sh("exit 3"), 3);
    EXPECT_EQ(Sh("exit 0"), 0);
    struct sigaction now;
    sigaction(SIGCHLD, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_IGN);  // the caller's action is back
}

TEST(ProcExec, RealStatusWithNoChildWait) {
    SigchldRestore restore;
    struct sigaction sa = {};
    sa.sa_handler = SIG_DFL;
    sa.sa_flags = SA_NOCLDWAIT;
    sigaction(SIGCHLD, &sa, nullptr);
    EXPECT_EQ(Sh("exit 7"), 7);
    struct sigaction now;
    sigaction(SIGCHLD, nullptr, &now);
    EXPECT_TRUE(now.sa_flags & SA_NOCLDWAIT);
}

TEST(ProcExec, ChildRunsDetachedWithNullStdioAndNoLocks) {
    ASSERT_EQ(ErrVLIBFileLock(VLIB_LOCK_PW | 2, 1), 0);
    // Read into variables first: a redirection would change the shell's descriptors.
    const char *script =
        "a=$(readlink /proc/$$/fd/0); b=$(readlink /proc/$$/fd/1); c=$(readlink /proc/$$/fd/2);"
        "s=$(cut -d' ' -f6 /proc/$$/stat); n=$(ls -l /proc/$$/fd | grep -c /tmp/lock);"
        "[ \"$s\" = $$ ] && s=leader; echo $a $b $c $(pwd) $s $n > /tmp/child";
    EXPECT_EQ(VLIBProcExec("/bin/sh", "-c", script, nullptr, nullptr), 0);
    // Null standard descriptors, the root directory, its own session, no lock files.
    EXPECT_EQ(vorltest::ReadFile("/tmp/child"), "/dev/null /dev/null /dev/null / leader 0\n");
    ErrVLIBFileUnlock(VLIB_LOCK_PW);
}
