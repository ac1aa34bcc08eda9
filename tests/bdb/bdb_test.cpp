#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <syslog.h>
#include <time.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "vorltest.h"

#include <vorl/bdb.h>
#include <vorl/err.h>

namespace {

const char *const kPath = "/tmp/test.db";

// A caller-owned output buffer.
struct Buf {
    char *p = nullptr;
    int cb = 0;
    Buf() = default;
    Buf(const Buf &) = delete;
    ~Buf() { free(p); }
    std::string str() const { return std::string(p, static_cast<size_t>(cb)); }
};

struct Rec {
    std::string key, value;
    bool operator==(const Rec &) const = default;
};

class Store {
public:
    explicit Store(int fDup = 0, int flags = O_RDWR | O_CREAT, const char *path = kPath)
        : p_(VORLBDbOpen(path, flags, fDup)) {}
    ~Store() { Close(); }
    void Close() {
        if (p_) VORLBDbClose(p_);
        p_ = nullptr;
    }
    VORLBDB *get() const { return p_; }
    int Set(const std::string &key, const std::string &value) {
        return VORLBDbSet(p_, key.data(), static_cast<int>(key.size()), value.data(),
                          static_cast<int>(value.size()));
    }
    std::string Get(const std::string &key) {
        Buf b;
        if (VORLBDbGet(p_, key.data(), static_cast<int>(key.size()), &b.p, &b.cb) != 0)
            return "<" + std::to_string(VLIBErrGet()) + ">";
        return b.str();
    }
    // Reads records in the current cursor mode until the end, switching to
    // `then` after the first read.
    std::vector<Rec> Walk(int fSkip, int then = VORL_BDB_CURSOR_NEXT) {
        std::vector<Rec> out;
        Buf k, v;
        while (VORLBDbCursorGet(p_, fSkip, &k.p, &k.cb, &v.p, &v.cb) == 0) {
            out.push_back({k.str(), v.str()});
            VORLBDbCursorSetType(p_, then);
        }
        EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BDB_END));
        return out;
    }
    // Every record of the store, control records included, in key order.
    std::vector<Rec> All() {
        VORLBDbCursorSetType(p_, VORL_BDB_CURSOR_FIRST);
        return Walk(0);
    }

private:
    VORLBDB *p_;
};

std::string Int32Le(int32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i)
        s[i] = static_cast<char>(static_cast<uint32_t>(v) >> (8 * i));
    return s;
}

const std::string kSyncKey(VORL_BDB_KEY_SYNC_TIME, 15);
const std::string kDeprecatedKey(VORL_BDB_KEY_DEPRECATED, 17);
const std::string kExpireKey(VORL_BDB_KEY_EXPIRE_TIME, 17);

}  // namespace

TEST(BdbOpen, CreatesReopensAndKeepsData) {
    {
        Store s;
        ASSERT_NE(s.get(), nullptr);
        EXPECT_EQ(s.get()->fCursorType, static_cast<uint32_t>(VORL_BDB_CURSOR_NEXT));
        ASSERT_EQ(s.Set("alice", "1000"), 0);
    }
    Store s(0, O_RDWR);
    ASSERT_NE(s.get(), nullptr);
    EXPECT_EQ(s.Get("alice"), "1000");
}

TEST(BdbOpen, FailuresMapToCodes) {
    vorltest::WriteFile("/tmp/junk.db", "this is not a B-tree file at all");
    mkdir("/tmp/dir.db", 0755);
    vorltest::SyslogCapture log;
    struct {
        const char *path;
        int flags;
        unsigned code;
    } table[] = {
        {"", O_RDWR | O_CREAT, ERR_BAD_PARAMETERS},
        {"/tmp/missing.db", O_RDWR, ERR_BDB_NO_FILE},
        {"/tmp/no/such/dir.db", O_RDWR | O_CREAT, ERR_BDB_NO_FILE},
        {"/tmp/junk.db", O_RDWR, ERR_BDB_OPEN},
        {"/tmp/dir.db", O_RDWR, ERR_OPEN_FAILED},
    };
    for (auto &row : table) {
        SCOPED_TRACE(row.path);
        VLIBErrSetNoPos(0);
        EXPECT_EQ(VORLBDbOpen(row.path, row.flags, 0), nullptr);
        EXPECT_EQ(VLIBErrGet(), row.code);
    }
    EXPECT_EQ(VORLBDbOpen(nullptr, O_RDWR, 0), nullptr);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS));
    EXPECT_FALSE(vorltest::Exists("/tmp/missing.db"));
    // Only the unexpected failure is logged, at notice level.
    auto msgs = log.Messages();
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].priority, LOG_NOTICE);
    EXPECT_NE(msgs[0].text.find("bdb_open.c:"), std::string::npos);
    EXPECT_NE(msgs[0].text.find("dbopen failed."), std::string::npos);
}

TEST(BdbOpen, AsRootTheFileEndsAtMode0666) {
    ASSERT_EQ(geteuid(), 0u);
    umask(022);
    { Store s; }
    struct stat st;
    ASSERT_EQ(stat(kPath, &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0666u);

    ASSERT_EQ(chmod(kPath, 0600), 0);
    { Store s(0, O_RDWR); }
    ASSERT_EQ(stat(kPath, &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0666u);
}

// An ordinary user cannot open root's 0600 store, and a store that user
// creates keeps the umask's mode.
TEST(BdbOpen, NonRootGetsAccessErrorAndNoModeChange) {
    { Store s; }
    ASSERT_EQ(chmod(kPath, 0600), 0);
    // The throwaway root starts private to root; let the user reach /tmp.
    ASSERT_EQ(chmod("/", 0755), 0);
    ASSERT_EQ(chmod("/tmp", 01777), 0);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(10);
        umask(022);
        if (VORLBDbOpen(kPath, O_RDWR, 0) != nullptr) _exit(11);
        if (VLIBErrGet() != ERR_BDB_ACCESS) _exit(12);
        VORLBDB *p = VORLBDbOpen("/tmp/user.db", O_RDWR | O_CREAT, 0);
        if (!p) _exit(13);
        VORLBDbClose(p);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    struct stat st;
    ASSERT_EQ(stat("/tmp/user.db", &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
}

TEST(BdbClose, ReleasesTheHandleAndRefusesNull) {
    VORLBDB *p = VORLBDbOpen(kPath, O_RDWR | O_CREAT, 0);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(VORLBDbClose(p), 0);
    EXPECT_EQ(VORLBDbClose(nullptr), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS));
}

TEST(BdbRecords, SetGetDeleteWithoutDuplicates) {
    Store s;
    ASSERT_EQ(s.Set("bob", "first"), 0);
    ASSERT_EQ(s.Set("bob", "second"), 0);  // replaces
    EXPECT_EQ(s.Get("bob"), "second");
    EXPECT_EQ(s.All().size(), 1u);

    ASSERT_EQ(VORLBDbDelete(s.get(), "bob", 3), 0);
    EXPECT_EQ(s.Get("bob"), "<" + std::to_string(ERR_NOT_FOUND) + ">");
    EXPECT_EQ(VORLBDbDelete(s.get(), "bob", 3), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_NOT_FOUND));
}

TEST(BdbRecords, BytesComeBackExactlyAndTheBufferGrows) {
    Store s;
    std::string withNul("line:x:1000\0", 12);
    std::string big(5000, 'z');
    ASSERT_EQ(s.Set("a", withNul), 0);
    ASSERT_EQ(s.Set("b", big), 0);

    Buf b;
    ASSERT_EQ(VORLBDbGet(s.get(), "a", 1, &b.p, &b.cb), 0);
    EXPECT_EQ(b.str(), withNul);  // the writer's NUL is kept, nothing added
    char *first = b.p;
    ASSERT_EQ(VORLBDbGet(s.get(), "b", 1, &b.p, &b.cb), 0);
    EXPECT_EQ(b.str(), big);
    // A buffer large enough is reused; the size variable is the length.
    first = b.p;
    ASSERT_EQ(VORLBDbGet(s.get(), "a", 1, &b.p, &b.cb), 0);
    EXPECT_EQ(b.p, first);
    EXPECT_EQ(b.cb, 12);
}

TEST(BdbRecords, MissingKeyLeavesTheBufferAlone) {
    Store s;
    ASSERT_EQ(s.Set("a", "value"), 0);
    Buf b;
    ASSERT_EQ(VORLBDbGet(s.get(), "a", 1, &b.p, &b.cb), 0);
    char *before = b.p;
    EXPECT_EQ(VORLBDbGet(s.get(), "zz", 2, &b.p, &b.cb), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_NOT_FOUND));
    EXPECT_EQ(b.p, before);
    EXPECT_EQ(b.str(), "value");
}

TEST(BdbRecords, DuplicatesKeepOneControlRecordButEveryOrdinaryRecord) {
    {
        Store s(1);
        ASSERT_EQ(VORLBDbConfSyncTimeSet(s.get(), 100), 0);
        ASSERT_EQ(VORLBDbConfSyncTimeSet(s.get(), 200), 0);
        ASSERT_EQ(s.Set("000100", "ALICE"), 0);
        ASSERT_EQ(s.Set("000100", "BOB"), 0);
        EXPECT_EQ(s.Get("000100"), "ALICE");  // the first of the key
    }
    // The duplicates setting lives in the file: reopened without it, a put
    // still adds.
    Store s(0, O_RDWR);
    ASSERT_EQ(s.Set("000100", "CAROL"), 0);
    std::vector<Rec> want = {
        {kSyncKey, Int32Le(200)},
        {"000100", "ALICE"},
        {"000100", "BOB"},
        {"000100", "CAROL"},
    };
    EXPECT_EQ(s.All(), want);

    // Delete removes every duplicate.
    ASSERT_EQ(VORLBDbDelete(s.get(), "000100", 6), 0);
    EXPECT_EQ(s.All().size(), 1u);
}

TEST(BdbRecords, ControlRecordsHaveTheirExactBytes) {
    Store s;
    ASSERT_EQ(VORLBDbDeprecatedSet(s.get(), 0), 0);
    ASSERT_EQ(VORLBDbConfSyncTimeSet(s.get(), 0x12345678), 0);
    time_t before = time(nullptr);
    ASSERT_EQ(VORLBDbDomainExpireTimeSet(s.get()), 0);
    time_t after = time(nullptr);

    auto all = s.All();
    ASSERT_EQ(all.size(), 3u);
    // Byte order of the keys: "#VORL@D" < "#VORL@E" < "#VORL@S".
    EXPECT_EQ(all[0].key, std::string("#VORL@DEPRECATED\0", 17));
    EXPECT_EQ(all[0].value, Int32Le(0));
    EXPECT_EQ(all[1].key, "#VORL@EXPIRE@TIME");
    ASSERT_EQ(all[1].value.size(), 4u);
    int32_t stored = 0;
    memcpy(&stored, all[1].value.data(), 4);  // native order, little-endian here
    EXPECT_GE(stored, before);
    EXPECT_LE(stored, after);
    EXPECT_EQ(all[2].key, "#VORL@SYNC@TIME");
    EXPECT_EQ(all[2].value, "\x78\x56\x34\x12");
}

TEST(BdbRecords, BadParametersAreRefused) {
    Store s;
    ASSERT_EQ(s.Set("k", "v"), 0);
    VORLBDB *db = s.get();
    char *nonNull = static_cast<char *>(malloc(4));
    char *null = nullptr;
    int zero = 0, four = 4;
    VORLDBT dbt{};
    int32_t *pTime = nullptr;
    int32_t notNull = 0, *pNotNull = &notNull;
    struct {
        const char *what;
        int rc;
    } table[] = {
        {"get null handle", VORLBDbGet(nullptr, "k", 1, &null, &zero)},
        {"get null key", VORLBDbGet(db, nullptr, 1, &null, &zero)},
        {"get zero key length", VORLBDbGet(db, "k", 0, &null, &zero)},
        {"get null buffer ref", VORLBDbGet(db, "k", 1, nullptr, &zero)},
        {"get null size", VORLBDbGet(db, "k", 1, &null, nullptr)},
        {"get buffer with size 0", VORLBDbGet(db, "k", 1, &nonNull, &zero)},
        {"set null handle", VORLBDbSet(nullptr, "k", 1, "v", 1)},
        {"set null value", VORLBDbSet(db, "k", 1, nullptr, 1)},
        {"set empty value", VORLBDbSet(db, "k", 1, "v", 0)},
        {"set empty key", VORLBDbSet(db, "k", 0, "v", 1)},
        {"delete null key", VORLBDbDelete(db, nullptr, 1)},
        {"delete zero length", VORLBDbDelete(db, "k", 0)},
        {"cursor mode 0", VORLBDbCursorSetType(db, 0)},
        {"cursor mode 6", VORLBDbCursorSetType(db, 6)},
        {"cursor null handle", VORLBDbCursorSetType(nullptr, 2)},
        {"cursor get buffer with size 0", VORLBDbCursorGet(db, 0, &nonNull, &zero, &null, &four)},
        {"dbt set null", VORLBDbDbtSet(nullptr, "x", 1)},
        {"dbt copyout null", VORLBDbDbtCopyout(nullptr, &null, &zero)},
        {"dbt copyout size 0", VORLBDbDbtCopyout(&dbt, &nonNull, &zero)},
        {"deprecated set null", VORLBDbDeprecatedSet(nullptr, 1)},
        {"deprecated get null", VORLBDbDeprecatedGet(nullptr)},
        {"sync set null", VORLBDbConfSyncTimeSet(nullptr, 1)},
        {"sync get null", VORLBDbConfSyncTimeGet(nullptr, &pTime)},
        {"sync get used buffer", VORLBDbConfSyncTimeGet(db, &pNotNull)},
        {"rebuild null", VORLBDbIsNeedToRebuild(nullptr, 1)},
        {"expire set null", VORLBDbDomainExpireTimeSet(nullptr)},
        {"expire get null", VORLBDbDomainExpireTimeGet(nullptr, &pTime)},
        {"domain rebuild null", VORLBDbDomainIsNeedToRebuild(nullptr)},
    };
    for (auto &row : table) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(row.rc, -1);
    }
    // Each call set the code; check that the last ones did and nothing moved.
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS));
    EXPECT_EQ(db->fCursorType, static_cast<uint32_t>(VORL_BDB_CURSOR_NEXT));
    EXPECT_EQ(s.Get("k"), "v");
    EXPECT_EQ(null, nullptr);
    free(nonNull);
}

TEST(BdbRecords, WriteErrorsAreLoggedAndMapped) {
    {
        Store s;
        ASSERT_EQ(s.Set("k", "v"), 0);
    }
    Store s(0, O_RDONLY);
    ASSERT_NE(s.get(), nullptr);
    vorltest::SyslogCapture log;
    EXPECT_EQ(s.Set("k", "w"), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BDB_PUT));
    EXPECT_TRUE(log.Contains("db->put failed."));
    EXPECT_EQ(VORLBDbDelete(s.get(), "k", 1), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BDB_DEL));
    EXPECT_TRUE(log.Contains("bdb_delete.c:"));
    // A control record is removed first: that step fails here already.
    log.Clear();
    EXPECT_EQ(VORLBDbDeprecatedSet(s.get(), 1), -1);
    EXPECT_TRUE(log.Contains("bdb_set.c:"));
    EXPECT_TRUE(log.Contains("db->del failed."));
    EXPECT_EQ(s.Get("k"), "v");
}

TEST(BdbDbt, SetAndCopyout) {
    VORLDBT dbt;
    ASSERT_EQ(VORLBDbDbtSet(&dbt, "abc", 3), 0);
    EXPECT_EQ(dbt.size, 3u);
    Buf b;
    ASSERT_EQ(VORLBDbDbtCopyout(&dbt, &b.p, &b.cb), 0);
    EXPECT_EQ(b.str(), "abc");
    std::string longer(100, 'q');
    ASSERT_EQ(VORLBDbDbtSet(&dbt, longer.data(), 100), 0);
    ASSERT_EQ(VORLBDbDbtCopyout(&dbt, &b.p, &b.cb), 0);
    EXPECT_EQ(b.str(), longer);
}

// The store of the cursor tests: control records sort before every ordinary
// key, and "!first" sorts before them.
class BdbCursor : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(s.get(), nullptr);
        ASSERT_EQ(VORLBDbDeprecatedSet(s.get(), 0), 0);
        ASSERT_EQ(VORLBDbConfSyncTimeSet(s.get(), 1), 0);
        for (const char *k : {"alice", "bob", "carol"})
            ASSERT_EQ(s.Set(k, std::string(k) + "!"), 0);
    }
    static std::vector<std::string> Keys(const std::vector<Rec> &recs) {
        std::vector<std::string> out;
        for (auto &r : recs)
            out.push_back(r.key);
        return out;
    }
    Store s;
};

TEST_F(BdbCursor, FirstWithSkipPassesControlRecordsAndBecomesNext) {
    ASSERT_EQ(VORLBDbCursorSetType(s.get(), VORL_BDB_CURSOR_FIRST), 0);
    Buf k, v;
    ASSERT_EQ(VORLBDbCursorGet(s.get(), 1, &k.p, &k.cb, &v.p, &v.cb), 0);
    EXPECT_EQ(k.str(), "alice");
    EXPECT_EQ(v.str(), "alice!");
    EXPECT_EQ(s.get()->fCursorType, static_cast<uint32_t>(VORL_BDB_CURSOR_NEXT));
    EXPECT_EQ(Keys(s.Walk(1)), (std::vector<std::string>{"bob", "carol"}));
    // Past the end.
    EXPECT_EQ(VORLBDbCursorGet(s.get(), 1, &k.p, &k.cb, &v.p, &v.cb), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BDB_END));
}

TEST_F(BdbCursor, WithoutSkipControlRecordsAreReturned) {
    ASSERT_EQ(VORLBDbCursorSetType(s.get(), VORL_BDB_CURSOR_FIRST), 0);
    auto keys = Keys(s.Walk(0));
    ASSERT_EQ(keys.size(), 5u);
    EXPECT_EQ(keys[0][0], '#');
    EXPECT_EQ(keys[1][0], '#');
    EXPECT_EQ(keys[2], "alice");
}

TEST_F(BdbCursor, FirstOnOrdinaryRecordKeepsTheMode) {
    ASSERT_EQ(VORLBDbDelete(s.get(), VORL_BDB_KEY_DEPRECATED, VORL_BDB_KEY_DEPRECATED_LEN), 0);
    ASSERT_EQ(VORLBDbDelete(s.get(), VORL_BDB_KEY_SYNC_TIME, VORL_BDB_KEY_SYNC_TIME_LEN), 0);
    ASSERT_EQ(VORLBDbCursorSetType(s.get(), VORL_BDB_CURSOR_FIRST), 0);
    Buf k, v;
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(VORLBDbCursorGet(s.get(), 1, &k.p, &k.cb, &v.p, &v.cb), 0);
        EXPECT_EQ(k.str(), "alice");
    }
    EXPECT_EQ(s.get()->fCursorType, static_cast<uint32_t>(VORL_BDB_CURSOR_FIRST));
}

TEST_F(BdbCursor, LastReturnsTheLargestOrdinaryKey) {
    ASSERT_EQ(VORLBDbCursorSetType(s.get(), VORL_BDB_CURSOR_LAST), 0);
    EXPECT_EQ(Keys(s.Walk(1, VORL_BDB_CURSOR_PREV)),
              (std::vector<std::string>{"carol", "bob", "alice"}));
}

TEST_F(BdbCursor, LastWithSkipOverControlRecordsBecomesPrev) {
    // Only a key that sorts before the control records is left.
    for (const char *k : {"alice", "bob", "carol"})
        ASSERT_EQ(VORLBDbDelete(s.get(), k, static_cast<int>(strlen(k))), 0);
    ASSERT_EQ(s.Set("!first", "x"), 0);
    ASSERT_EQ(VORLBDbCursorSetType(s.get(), VORL_BDB_CURSOR_LAST), 0);
    Buf k, v;
    ASSERT_EQ(VORLBDbCursorGet(s.get(), 1, &k.p, &k.cb, &v.p, &v.cb), 0);
    EXPECT_EQ(k.str(), "!first");
    EXPECT_EQ(s.get()->fCursorType, static_cast<uint32_t>(VORL_BDB_CURSOR_PREV));
    EXPECT_EQ(VORLBDbCursorGet(s.get(), 1, &k.p, &k.cb, &v.p, &v.cb), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BDB_END));
}

TEST_F(BdbCursor, SearchFindsTheFirstKeyAtOrAfter) {
    ASSERT_EQ(VORLBDbCursorSetType(s.get(), VORL_BDB_CURSOR_SET), 0);
    Buf k, v;
    k.p = strdup("b");
    k.cb = 1;
    ASSERT_EQ(VORLBDbCursorGet(s.get(), 1, &k.p, &k.cb, &v.p, &v.cb), 0);
    EXPECT_EQ(k.str(), "bob");
    EXPECT_EQ(v.str(), "bob!");

    free(k.p);
    k.p = strdup("zzz");
    k.cb = 3;
    EXPECT_EQ(VORLBDbCursorGet(s.get(), 1, &k.p, &k.cb, &v.p, &v.cb), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BDB_END));

    // The search key is needed in this mode.
    Buf empty;
    EXPECT_EQ(VORLBDbCursorGet(s.get(), 1, &empty.p, &empty.cb, &v.p, &v.cb), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS));
}

// A search that lands on a control record with the skip flag goes on to the
// next record (searching again with the skipped key would never end).
TEST_F(BdbCursor, SearchLandingOnControlRecordMovesOn) {
    ASSERT_EQ(VORLBDbCursorSetType(s.get(), VORL_BDB_CURSOR_SET), 0);
    Buf k, v;
    k.p = strdup("#");
    k.cb = 1;
    ASSERT_EQ(VORLBDbCursorGet(s.get(), 1, &k.p, &k.cb, &v.p, &v.cb), 0);
    EXPECT_EQ(k.str(), "alice");
    EXPECT_EQ(s.get()->fCursorType, static_cast<uint32_t>(VORL_BDB_CURSOR_SET));
}

TEST(BdbControl, DeprecatedMark) {
    Store s;
    EXPECT_EQ(VORLBDbDeprecatedGet(s.get()), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_NOT_FOUND));
    ASSERT_EQ(VORLBDbDeprecatedSet(s.get(), 0), 0);
    EXPECT_EQ(VORLBDbDeprecatedGet(s.get()), 0);
    ASSERT_EQ(VORLBDbDeprecatedSet(s.get(), 1), 0);
    EXPECT_EQ(VORLBDbDeprecatedGet(s.get()), 1);
}

TEST(BdbControl, SyncTimeAndRebuildDecision) {
    Store s;
    EXPECT_EQ(VORLBDbIsNeedToRebuild(s.get(), 1000), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_NOT_FOUND));
    ASSERT_EQ(VORLBDbConfSyncTimeSet(s.get(), 1000), 0);
    EXPECT_EQ(VORLBDbIsNeedToRebuild(s.get(), 1000), 0);
    EXPECT_EQ(VORLBDbIsNeedToRebuild(s.get(), 1001), 1);

    int32_t *pTime = nullptr;
    ASSERT_EQ(VORLBDbConfSyncTimeGet(s.get(), &pTime), 0);
    ASSERT_NE(pTime, nullptr);
    EXPECT_EQ(*pTime, 1000);
    free(pTime);

    // A record that is not 4 bytes long is no sync time.
    ASSERT_EQ(s.Set(kSyncKey, "abc"), 0);
    pTime = nullptr;
    EXPECT_EQ(VORLBDbConfSyncTimeGet(s.get(), &pTime), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_NOT_FOUND));
    EXPECT_EQ(pTime, nullptr);
    EXPECT_EQ(VORLBDbIsNeedToRebuild(s.get(), 1000), -1);
}

TEST(BdbControl, DomainExpiryBoundaries) {
    Store s;
    EXPECT_EQ(VORLBDbDomainIsNeedToRebuild(s.get()), 1);  // never loaded

    struct {
        int age;  // seconds before now that the records were loaded
        int want;
    } table[] = {{0, 0}, {300, 0}, {301, 1}, {-1, 1}, {100000, 1}};
    for (auto &row : table) {
        SCOPED_TRACE(row.age);
        // Retry when the clock ticks between writing and asking.
        for (int attempt = 0; attempt < 5; ++attempt) {
            time_t now = time(nullptr);
            ASSERT_EQ(s.Set(kExpireKey, Int32Le(static_cast<int32_t>(now - row.age))), 0);
            int got = VORLBDbDomainIsNeedToRebuild(s.get());
            if (time(nullptr) != now) continue;
            EXPECT_EQ(got, row.want);
            break;
        }
    }

    ASSERT_EQ(VORLBDbDomainExpireTimeSet(s.get()), 0);
    EXPECT_EQ(VORLBDbDomainIsNeedToRebuild(s.get()), 0);
    int32_t *pTime = nullptr;
    ASSERT_EQ(VORLBDbDomainExpireTimeGet(s.get(), &pTime), 0);
    EXPECT_LE(time(nullptr) - *pTime, 1);
    free(pTime);
}
