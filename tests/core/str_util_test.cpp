#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "core/pid_file.h"
#include "vorltest.h"

#include <vorl/err.h>
#include <vorl/str_util.h>

namespace {

struct List {
    List() : p(PslVLIBSzListAlloc(512)) {}
    ~List() { VLIBSzListFree(p); }
    std::vector<std::string> Entries() const {
        std::vector<std::string> out;
        for (int i = 0; i < p->nItem; ++i)
            out.emplace_back(SzVLIBSzListGet(p, i));
        return out;
    }
    SzList *p;
};

std::vector<std::string> V(std::initializer_list<const char *> items) {
    return std::vector<std::string>(items.begin(), items.end());
}

}  // namespace

TEST(StrTrimSpace, TrimsWhitespaceAndOnePairOfQuotes) {
    struct {
        const char *in, *out;
    } cases[] = {
        {"  \"a b\"\t", "a b"}, {"\"", "\""},           {"   \t\r\n", ""}, {"", ""},
        {"\" a \"", " a "},     {"\"\"x\"\"", "\"x\""}, {"\"a", "\"a"},    {"a\"", "a\""},
        {"\v a \f", "\v a \f"},  // vertical tab and form feed are not whitespace
        {"\"\"", ""},
    };
    for (auto &c : cases) {
        std::string buf = c.in;
        EXPECT_EQ(VLIBStrTrimSpace(buf.data(), nullptr), static_cast<int>(strlen(c.out))) << c.in;
        EXPECT_STREQ(buf.c_str(), c.out) << c.in;
        std::string src = c.in;
        std::vector<char> dst(src.size() + 1, 'z');
        EXPECT_EQ(VLIBStrTrimSpace(src.data(), dst.data()), static_cast<int>(strlen(c.out)));
        EXPECT_STREQ(dst.data(), c.out) << c.in;
        EXPECT_EQ(src, c.in);  // a separate destination leaves the source alone
    }
}

TEST(StrTrimSpace, RefusesNullAndOverlappingDestination) {
    VLIBErrSetNoPos(0);
    EXPECT_EQ(VLIBStrTrimSpace(nullptr, nullptr), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS));
    char buf[] = "  abc  ";
    VLIBErrSetNoPos(0);
    EXPECT_EQ(VLIBStrTrimSpace(buf, buf + 1), -1);
    EXPECT_EQ(VLIBStrTrimSpace(buf, buf + strlen(buf)), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS));
    EXPECT_STREQ(buf, "  abc  ");
    EXPECT_EQ(VLIBStrTrimSpace(buf, buf), 3);  // the source itself: in place
    EXPECT_STREQ(buf, "abc");
}

TEST(StrTok, TokNextSkipsEmptyTokens) {
    char text[] = ",,a,,b,";
    char *cursor = text;
    EXPECT_STREQ(VLIBStrTokNext(&cursor, ","), "a");
    EXPECT_STREQ(VLIBStrTokNext(&cursor, ","), "b");
    EXPECT_EQ(VLIBStrTokNext(&cursor, ","), nullptr);
    EXPECT_EQ(VLIBStrTokNext(&cursor, ","), nullptr);
    EXPECT_EQ(VLIBStrTokNext(nullptr, ","), nullptr);
}

TEST(StrTok, TokPushesNonEmptyTokensSepPushesAll) {
    List tok, sep;
    EXPECT_EQ(VLIBStrTok(",a,,b,", ",", &tok.p), 2);
    EXPECT_EQ(tok.Entries(), V({"a", "b"}));
    EXPECT_EQ(VLIBStrSep(",a,,b,", ",", &sep.p), 5);
    EXPECT_EQ(sep.Entries(), V({"", "a", "", "b", ""}));
    EXPECT_EQ(VLIBStrTok("x y\tz", " \t", &tok.p), 3);  // appended after what is there
    EXPECT_EQ(tok.Entries(), V({"a", "b", "x", "y", "z"}));

    SzList *none = nullptr;
    EXPECT_EQ(VLIBStrTok("a", ",", &none), -1);
    EXPECT_EQ(VLIBStrSep(nullptr, ",", &sep.p), -1);
}

TEST(StrSepPair, SplitsAtTheFirstEqualsSign) {
    struct {
        const char *in;
        int result;
        std::vector<std::string> pushed;
    } cases[] = {
        {"key = value", 0, V({"key", "value"})},
        {" key=\"a=b\" ", 0, V({"key", "a=b"})},
        {"key=", 0, V({"key", ""})},
        {"=value", -1, V({})},
        {"  = value", -1, V({})},
        {"lonely", -1, V({"lonely"})},  // the key alone is pushed
    };
    for (auto &c : cases) {
        List l;
        VLIBErrSetNoPos(0);
        EXPECT_EQ(VLIBStrSepPair(c.in, &l.p), c.result) << c.in;
        EXPECT_EQ(l.Entries(), c.pushed) << c.in;
        if (c.result < 0) {
            EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS)) << c.in;
        }
    }
}

TEST(StrJoin, JoinsNonNullElements) {
    const char *items[] = {"a", nullptr, "b"};
    char *buf = nullptr;
    int cb = 0;
    ASSERT_EQ(VLIBStrJoin(items, 3, ", ", &buf, &cb), 0);
    EXPECT_STREQ(buf, "a, b");
    EXPECT_EQ(cb, 6);  // need: each element plus a separator

    // A larger buffer is kept; a smaller one grows.
    const char *one[] = {"x"};
    ASSERT_EQ(VLIBStrJoin(one, 1, "--", &buf, &cb), 0);
    EXPECT_STREQ(buf, "x");
    EXPECT_EQ(cb, 6);
    const char *many[] = {"long", "er", "text"};
    ASSERT_EQ(VLIBStrJoin(many, 3, "/", &buf, &cb), 0);
    EXPECT_STREQ(buf, "long/er/text");
    EXPECT_EQ(cb, 13);
    free(buf);
}

TEST(StrJoin, EmptySeparatorLeavesRoomForTheNul) {
    const char *items[] = {"ab", "cd"};
    char *buf = nullptr;
    int cb = 0;
    ASSERT_EQ(VLIBStrJoin(items, 2, "", &buf, &cb), 0);
    EXPECT_EQ(cb, 5);
    EXPECT_STREQ(buf, "abcd");
    free(buf);
}

TEST(StrJoin, RefusalsAreLogged) {
    vorltest::SyslogCapture log;
    const char *none[] = {nullptr, nullptr};
    char *buf = nullptr;
    int cb = 0;
    VLIBErrSetNoPos(0);
    EXPECT_EQ(VLIBStrJoin(none, 2, ",", &buf, &cb), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS));
    EXPECT_EQ(VLIBStrJoin(none, 0, ",", &buf, &cb), -1);
    char small[4];
    char *pSmall = small;
    int cbZero = 0;
    EXPECT_EQ(VLIBStrJoin(none, 2, ",", &pSmall, &cbZero), -1);  // an existing buffer of size 0
    EXPECT_EQ(buf, nullptr);
    EXPECT_TRUE(log.Contains("string_join.c:")) << "no log line";
    EXPECT_TRUE(log.Contains("The input array is empty!!"));
    EXPECT_TRUE(log.Contains("Bad parameters!!"));
}

TEST(StrReplace, ReplacesTheFirstOccurrence) {
    char buf[32] = "one two two";
    EXPECT_EQ(VLIBStrReplace(buf, "two", "three", nullptr, 31), 1);
    EXPECT_STREQ(buf, "one three two");
    EXPECT_EQ(VLIBStrReplace(buf, "three", "3", nullptr, 31), 1);
    EXPECT_STREQ(buf, "one 3 two");
    EXPECT_EQ(VLIBStrReplace(buf, "four", "4", nullptr, 31), 0);
    EXPECT_STREQ(buf, "one 3 two");

    char out[16];
    EXPECT_EQ(VLIBStrReplace(buf, "one", "1", out, 15), 1);
    EXPECT_STREQ(out, "1 3 two");
    EXPECT_STREQ(buf, "one 3 two");  // the source is untouched

    // The limit is checked before searching: 9 - 3 + 5 = 11 > 10.
    VLIBErrSetNoPos(0);
    EXPECT_EQ(VLIBStrReplace(buf, "xyz", "12345", nullptr, 10), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BUFFER_TOO_SMALL));
    EXPECT_EQ(VLIBStrReplace(buf, "one", "12345", nullptr, 11), 1);
    EXPECT_STREQ(buf, "12345 3 two");
}

TEST(StrColon, EncodeAndDecode) {
    char enc[16], dec[16];
    EXPECT_EQ(VLIBStrEncodeColon("a:b;x", enc, 15), 7);
    EXPECT_STREQ(enc, "a;,b;;x");
    EXPECT_EQ(VLIBStrDecodeColon(enc, dec, 15), 5);
    EXPECT_STREQ(dec, "a:b;x");
    // A lone ';' ends the decoded text, also at the very end.
    EXPECT_EQ(VLIBStrDecodeColon("ab;cd", dec, 15), 2);
    EXPECT_STREQ(dec, "ab");
    EXPECT_EQ(VLIBStrDecodeColon("ab;", dec, 15), 2);
    EXPECT_STREQ(dec, "ab");

    // Limits: exactly fitting works, one short fails.
    EXPECT_EQ(VLIBStrEncodeColon("a:", enc, 3), 3);
    VLIBErrSetNoPos(0);
    EXPECT_EQ(VLIBStrEncodeColon("a:", enc, 2), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BUFFER_TOO_SMALL));
    VLIBErrSetNoPos(0);
    EXPECT_EQ(VLIBStrDecodeColon("a;,b", dec, 3), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BUFFER_TOO_SMALL));

    char same[16] = "a:b";
    VLIBErrSetNoPos(0);
    EXPECT_EQ(VLIBStrEncodeColon(same, same, 15), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS));
    EXPECT_EQ(VLIBStrDecodeColon(same, same, 15), -1);
}

TEST(CheckAndRealloc, AllocatesGrowsAndRefuses) {
    void *p = nullptr;
    int cb = 0;
    ASSERT_EQ(VORLCheckAndRealloc(&p, &cb, 16), 0);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(cb, 16);
    EXPECT_EQ(std::string(static_cast<char *>(p), 16), std::string(16, '\0'));  // zeroed
    void *before = p;
    ASSERT_EQ(VORLCheckAndRealloc(&p, &cb, 8), 0);  // large enough: unchanged
    EXPECT_EQ(p, before);
    EXPECT_EQ(cb, 16);
    memcpy(p, "keep", 5);
    ASSERT_EQ(VORLCheckAndRealloc(&p, &cb, 4096), 0);
    EXPECT_EQ(cb, 4096);
    EXPECT_STREQ(static_cast<char *>(p), "keep");

    int zero = 0;
    VLIBErrSetNoPos(0);
    EXPECT_EQ(VORLCheckAndRealloc(&p, &zero, 8), -1);  // a buffer recorded with size 0
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS));
    EXPECT_EQ(VORLCheckAndRealloc(&p, &cb, 0), -1);
    EXPECT_EQ(VORLCheckAndRealloc(&p, nullptr, 8), -1);
    free(p);

    void *q = VLIBMemRealloc(nullptr, 10);
    ASSERT_NE(q, nullptr);
    q = VLIBMemRealloc(q, 100);
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(VLIBMemRealloc(q, 0), nullptr);  // released
}

TEST(Misc, AccountNameKindAndTruncateSync) {
    EXPECT_EQ(VLIBAccountNameKind(nullptr), 0);
    EXPECT_EQ(VLIBAccountNameKind("alice"), 1);
    EXPECT_EQ(VLIBAccountNameKind("CORP\\alice"), 2);

    vorltest::WriteFile("/tmp/trunc", "old content\n");
    VLIBFileTruncateSync("/tmp/trunc");
    EXPECT_TRUE(vorltest::Exists("/tmp/trunc"));
    EXPECT_EQ(vorltest::ReadFile("/tmp/trunc"), "");
    VLIBFileTruncateSync("/tmp/new-empty");
    EXPECT_TRUE(vorltest::Exists("/tmp/new-empty"));
    VLIBFileTruncateSync("/no/such/dir/file");  // nothing happens
    VLIBFileTruncateSync(nullptr);
}

TEST(PidFile, OnlyAProcessPidIsAccepted) {
    struct {
        const char *content;
        pid_t pid;
    } cases[] = {
        {"1234\n", 1234},
        {"  77\n", 77},
        {"2", 2},
        {"", 0},
        {"abc\n", 0},
        {"-1\n", 0},
        {"0\n", 0},
        {"1\n", 0},
        {"+5\n", 0},
        {"2147483647\n", 2147483647},
        {"2147483648\n", 0},
        {"4294967295\n", 0},
        {"99999999999999999999\n", 0},
    };
    for (auto &c : cases) {
        vorltest::WriteFile("/var/run/test.pid", c.content);
        EXPECT_EQ(vorl::ReadPidFile("/var/run/test.pid"), c.pid) << c.content;
    }
    EXPECT_EQ(vorl::ReadPidFile("/var/run/missing.pid"), -1);
}

namespace {
volatile sig_atomic_t gGotUsr1 = 0;
void OnUsr1(int) {
    gGotUsr1 = 1;
}

// A child that exits 7 when SIGUSR1 reaches it, else 0 when told to stop.
pid_t SpawnWatcher() {
    pid_t pid = fork();
    if (pid == 0) {
        signal(SIGUSR1, [](int) { _exit(7); });
        signal(SIGTERM, [](int) { _exit(0); });
        for (;;)
            pause();
    }
    usleep(50 * 1000);  // let it install its handlers
    return pid;
}
int StopWatcher(pid_t pid) {
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
}  // namespace

TEST(SignalSysctld, SignalsTheDaemonOfThePidFile) {
    pid_t watcher = SpawnWatcher();
    vorltest::WriteFile(VORL_SYSCTLD_PID_FILE, std::to_string(watcher) + "\n");
    EXPECT_EQ(VORLSignalSysctld(SIGUSR1), 0);
    int status = 0;
    ASSERT_EQ(waitpid(watcher, &status, 0), watcher);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 7);

    // A stale pid: sending fails.
    vorltest::WriteFile(VORL_SYSCTLD_PID_FILE, std::to_string(watcher) + "\n");
    VLIBErrSetNoPos(0);
    EXPECT_EQ(VORLSignalSysctld(SIGUSR1), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_EXEC_FAILED));
}

TEST(SignalSysctld, NeverSignalsAGroupEveryoneOrInit) {
    signal(SIGUSR1, OnUsr1);
    pid_t watcher = SpawnWatcher();
    unlink(VORL_SYSCTLD_PID_FILE);
    EXPECT_EQ(VORLSignalSysctld(SIGUSR1), 0);  // no file: nothing to do
    for (const char *content : {"-1\n", "0\n", "1\n", "4294967295\n", "none\n", ""}) {
        vorltest::WriteFile(VORL_SYSCTLD_PID_FILE, content);
        EXPECT_EQ(VORLSignalSysctld(SIGUSR1), 0) << content;
    }
    usleep(50 * 1000);
    EXPECT_EQ(gGotUsr1, 0);              // kill(0, ...) would have reached this process group
    EXPECT_EQ(StopWatcher(watcher), 0);  // kill(-1, ...) would have reached the watcher
    signal(SIGUSR1, SIG_DFL);
}

// VLIBGuestSupport reads once per process; every test case runs in a process of its own.
TEST(GuestSupport, NoMeansUnsupportedAndIsCached) {
    vorltest::WriteFile("/etc.defaults/vorlinfo.conf", "guestsupport=\"no\"\n");
    EXPECT_EQ(VLIBGuestSupport(), 0);
    vorltest::WriteFile("/etc.defaults/vorlinfo.conf", "guestsupport=\"yes\"\n");
    EXPECT_EQ(VLIBGuestSupport(), 0);
}

TEST(GuestSupport, AnythingElseMeansSupported) {
    vorltest::WriteFile("/etc.defaults/vorlinfo.conf", "other=\"no\"\n");
    EXPECT_EQ(VLIBGuestSupport(), 1);
}

TEST(GuestSupport, OtherValueMeansSupported) {
    vorltest::WriteFile("/etc.defaults/vorlinfo.conf", "guestsupport=\"No\"\n");
    EXPECT_EQ(VLIBGuestSupport(), 1);
}
