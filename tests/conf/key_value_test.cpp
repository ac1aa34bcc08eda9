// key="value" files: reading, setting and removing keys, many keys at once,
// and the settings file under its lock.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <vorl/conf.h>
#include <vorl/err.h>
#include <vorl/file_lock.h>
#include <vorl/sz_hash.h>
#include <vorl/sz_list.h>

#include "conf/lock_table.h"
#include "conf_test_util.h"
#include "core/raii.h"
#include "vorltest.h"

using vorltest::Inode;
using vorltest::ListDir;
using vorltest::ReadFile;
using vorltest::WriteFile;

namespace {

const std::string kDir = "/etc/kv";
const std::string kFile = kDir + "/test.conf";

}  // namespace

TEST(GetKeyValue, ReadsValuesByTheFileSyntax) {
    struct {
        const char *content;
        const char *key;
        int flags;
        int result;
        const char *value;
    } cases[] = {
        {"a=1\na=2\n", "a", 0, 2, "1"},
        {"a=1\na=2\n", "a", VLIB_KEY_LAST_MATCH, 2, "2"},
        {"key = \"a b\"   \n", "key", 0, 4, "a b"},
        {"key=\"a b\"\n", "key", 0, 4, "a b"},
        {"\"key\"=a b\n", "key", 0, 4, "a b"},
        {"\tkey\t=\t\" a b \"\r\n", "key", 0, 6, " a b "},
        {"k=\"\"\n", "k", 0, 1, ""},
        {"k=   \n", "k", 0, 1, ""},
        {"k=a=b=c\n", "k", 0, 6, "a=b=c"},
        {"==k=v\n", "k", 0, 2, "v"},
        {"k=\"quoted \"inside\"\n", "k", 0, 15, "quoted \"inside"},
        {"#k=1\n;k=2\nk=3", "k", 0, 2, "3"},
        {" #k=1\n", "#k", 0, 2, "1"},
        {"K=1\nk=2\n", "k", 0, 2, "2"},
        {"k\v=1\nk=2\n", "k", 0, 2, "2"},  // vertical tab is no whitespace
        {"k=12345\nk=1\n", "k", VLIB_KEY_LAST_MATCH, 2, "1"},
        // In the last-match mode the last line with a value decides.
        {"k=1\nk=\n", "k", VLIB_KEY_LAST_MATCH, 2, "1"},
        {"k=1\nk=\nk=22\n", "k", VLIB_KEY_LAST_MATCH, 3, "22"},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.content);
        WriteFile(kFile, c.content);
        char buf[64];
        memset(buf, 'x', sizeof buf);
        EXPECT_EQ(VLIBFileGetKeyValue(kFile.c_str(), c.key, buf, sizeof buf, c.flags), c.result);
        EXPECT_STREQ(buf, c.value);
    }
}

TEST(GetKeyValue, KeysWithoutValueAreNotFound) {
    const char *contents[] = {"k=\n", "k=", "k\n", "other=1\n", "", "#k=1\n"};
    for (const char *content : contents) {
        SCOPED_TRACE(content);
        WriteFile(kFile, content);
        char buf[16] = "untouched";
        VLIBErrSetNoPos(0);
        EXPECT_EQ(VLIBFileGetKeyValue(kFile.c_str(), "k", buf, sizeof buf, 0), 0);
        EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_NOT_FOUND));
        EXPECT_STREQ(buf, "untouched");
    }
    // The first matching line decides even when it has no value.
    WriteFile(kFile, "k=\nk=1\n");
    EXPECT_EQ(VLIBFileGetKeyValue(kFile.c_str(), "k", nullptr, 0, 0), 0);
}

TEST(GetKeyValue, BufferSizes) {
    WriteFile(kFile, "k=abcd\n");
    char buf[8] = "keep";
    EXPECT_EQ(VLIBFileGetKeyValue(kFile.c_str(), "k", buf, 4, 0), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BUFFER_TOO_SMALL));
    EXPECT_STREQ(buf, "keep");
    EXPECT_EQ(VLIBFileGetKeyValue(kFile.c_str(), "k", nullptr, 0, 0), 5);
    EXPECT_EQ(VLIBFileGetKeyValue(kFile.c_str(), "k", buf, 5, 0), 5);
    EXPECT_STREQ(buf, "abcd");

    // Lines have no length limit.
    std::string value(200000, 'v');
    WriteFile(kFile, "a=1\nk=" + value + "\nz=2");
    std::vector<char> big(value.size() + 1);
    EXPECT_EQ(VLIBFileGetKeyValue(kFile.c_str(), "k", big.data(), static_cast<int>(big.size()), 0),
              static_cast<int>(value.size() + 1));
    EXPECT_EQ(std::string(big.data()), value);
    char small[2];
    EXPECT_EQ(VLIBFileGetKeyValue(kFile.c_str(), "z", small, sizeof small, 0), 2);
    EXPECT_STREQ(small, "2");
}

TEST(GetKeyValue, Failures) {
    WriteFile(kFile, "k=1\n");
    char buf[8];
    struct {
        const char *path;
        const char *key;
        char *buf;
        int size;
        int flags;
        unsigned err;
    } cases[] = {
        {nullptr, "k", buf, 8, 0, ERR_BAD_PARAMETERS},
        {kFile.c_str(), nullptr, buf, 8, 0, ERR_BAD_PARAMETERS},
        {kFile.c_str(), "k", nullptr, 8, 0, ERR_BAD_PARAMETERS},
        {kFile.c_str(), "k", buf, -1, 0, ERR_BAD_PARAMETERS},
        {kFile.c_str(), "k", buf, 8, -1, ERR_BAD_PARAMETERS},
        {"/etc/kv/missing.conf", "k", buf, 8, 0, ERR_OPEN_FAILED},
        // A read error is a failure, not a missing key.
        {"/etc/kv", "k", buf, 8, 0, ERR_READ_FAILED},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.path ? c.path : "(null)");
        EXPECT_EQ(VLIBFileGetKeyValue(c.path, c.key, c.buf, c.size, c.flags), -1);
        EXPECT_EQ(VLIBErrGet(), c.err);
    }
}

TEST(LineKeyMatch, CutsTheLineAndComparesTheTrimmedKey) {
    struct {
        const char *line;
        const char *key;
        int match;
        const char *after;  // the caller's line after the call
    } cases[] = {
        {"a = 1\n", "a", 1, "a "},    {"\"a\"=1\n", "a", 1, "\"a\""},
        {"==a=1\n", "a", 1, ""},  // the empty pieces are cut too
        {"a\n", "a", 1, "a\n"},       {"#a=1\n", "#a", 0, "#a=1\n"},
        {";a=1\n", "a", 0, ";a=1\n"}, {" #a=1\n", "#a", 1, " #a"},
        {"ab=1\n", "a", 0, "ab"},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.line);
        std::string line = c.line;
        EXPECT_EQ(VLIBFileLineKeyMatch(line.data(), c.key), c.match);
        EXPECT_STREQ(line.c_str(), c.after);
    }
    char line[] = "a=1";
    EXPECT_EQ(VLIBFileLineKeyMatch(nullptr, "a"), 0);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS));
    EXPECT_EQ(VLIBFileLineKeyMatch(line, nullptr), 0);
}

TEST(SetKeyValue, RewritesTheFirstLineOfTheKey) {
    struct {
        const char *before;
        const char *key;
        const char *value;
        const char *format;
        const char *after;
    } cases[] = {
        {"a=1", "b", "2", nullptr, "a=1\nb=2\n"},
        {"a=1\n", "b", "2", nullptr, "a=1\nb=2\n"},
        {"", "b", "2", nullptr, "b=2\n"},
        {"a = 1\na=2\n", "a", "9", nullptr, "a =9\n"},
        {"a=1\nb=2\na=3\nc=4", "a", "9", nullptr, "a=9\nb=2\nc=4"},
        {"x=0\na=1", "a", "9", nullptr, "x=0\na=9\n"},
        {"\"a\" = 1\n", "a", "x y", VORL_KEY_QUOTED_FORMAT, "\"a\" =\"x y\"\n"},
        {"a=\"old\"\n", "a", "new", VORL_KEY_QUOTED_FORMAT, "a=\"new\"\n"},
        {"# a=1\n;a=2\na=3\n", "a", "4", nullptr, "# a=1\n;a=2\na=4\n"},
        {"==a=1\n", "a", "9", nullptr, "a=9\n"},
        {"a\r\nb=1\r\n", "a", "9", nullptr, "a=9\nb=1\r\n"},
        {" #x=1\n", "#x", "2", nullptr, " #x=2\n"},
        {"a=1\n", "a", "", nullptr, "a=\n"},
        {"a=1\n", "a", "50%", "%s=\"%s\" # 100%%\n", "a=\"50%\" # 100%\n"},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.before);
        WriteFile(kFile, c.before);
        EXPECT_EQ(VLIBFileSetKeyValue(kFile.c_str(), c.key, c.value, c.format), 1);
        EXPECT_EQ(ReadFile(kFile), c.after);
        EXPECT_EQ(ListDir(kDir), std::vector<std::string>{"test.conf"});
    }
}

TEST(SetKeyValue, KeepsOwnerAndModeAndCreatesMissingFiles) {
    WriteFile(kFile, "a=1\n", 0600);
    ASSERT_EQ(chown(kFile.c_str(), 1234, 1234), 0);
    EXPECT_EQ(VLIBFileSetKeyValue(kFile.c_str(), "a", "2", nullptr), 1);
    struct stat st;
    ASSERT_EQ(stat(kFile.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(st.st_uid, 1234u);
    EXPECT_EQ(st.st_gid, 1234u);
    EXPECT_EQ(ReadFile(kFile), "a=2\n");

    std::string created = kDir + "/new.conf";
    mode_t old = umask(027);
    EXPECT_EQ(VLIBFileSetKeyValue(created.c_str(), "k", "v", VORL_KEY_QUOTED_FORMAT), 1);
    umask(old);
    ASSERT_EQ(stat(created.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(ReadFile(created), "k=\"v\"\n");
}

TEST(SetKeyValue, RefusesWhatWouldCorruptTheFile) {
    const std::string before = "a=1\nb=2\n";
    struct {
        const char *path;
        const char *key;
        const char *value;
        const char *format;
        unsigned err;
    } cases[] = {
        {kFile.c_str(), "a", "1\nroot=injected", nullptr, ERR_BAD_PARAMETERS},
        {kFile.c_str(), "a", "1\r", nullptr, ERR_BAD_PARAMETERS},
        {kFile.c_str(), "a\nb", "1", nullptr, ERR_BAD_PARAMETERS},
        {kFile.c_str(), "a", "1", "%s=%d\n", ERR_BAD_PARAMETERS},
        {kFile.c_str(), "a", "1", "%s=%s%n\n", ERR_BAD_PARAMETERS},
        {kFile.c_str(), "a", "1", "%s\n", ERR_BAD_PARAMETERS},
        {nullptr, "a", "1", nullptr, ERR_BAD_PARAMETERS},
        {kFile.c_str(), nullptr, "1", nullptr, ERR_BAD_PARAMETERS},
        {kFile.c_str(), "a", nullptr, nullptr, ERR_BAD_PARAMETERS},
        {kDir.c_str(), "a", "1", nullptr, ERR_OPEN_FAILED},
        {"/etc/no-such-dir/x.conf", "a", "1", nullptr, ERR_OPEN_FAILED},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(std::string(c.key ? c.key : "-") + "/" + (c.value ? c.value : "-"));
        WriteFile(kFile, before);
        EXPECT_EQ(VLIBFileSetKeyValue(c.path, c.key, c.value, c.format), -1);
        EXPECT_EQ(VLIBErrGet(), c.err);
        EXPECT_EQ(ReadFile(kFile), before);
        EXPECT_EQ(ListDir(kDir), std::vector<std::string>{"test.conf"});
    }
}

TEST(RemoveKey, RemovesEveryLineOfTheKey) {
    WriteFile(kFile, "a=1\nb=2\n a = 3\n#a=4\nab=5");
    EXPECT_EQ(VLIBFileRemoveKey(kFile.c_str(), "a"), 2);
    EXPECT_EQ(ReadFile(kFile), "b=2\n#a=4\nab=5");

    ino_t ino = Inode(kFile);
    VLIBErrSetNoPos(0);
    EXPECT_EQ(VLIBFileRemoveKey(kFile.c_str(), "zz"), 0);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_NOT_FOUND));
    EXPECT_EQ(ReadFile(kFile), "b=2\n#a=4\nab=5");
    EXPECT_EQ(Inode(kFile), ino);  // not even rewritten
    EXPECT_EQ(ListDir(kDir), std::vector<std::string>{"test.conf"});

    EXPECT_EQ(VLIBFileRemoveKey("/etc/kv/missing", "a"), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_OPEN_FAILED));
    EXPECT_EQ(VLIBFileRemoveKey(kFile.c_str(), nullptr), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS));
}

TEST(CheckKeyValue, ComparesOrAnswersForMissingKeys) {
    vorltest::SyslogCapture log;
    WriteFile(kFile, "yes=\"yes\"\nno=no\nlong=" + std::string(512, 'x') + "\n");
    EXPECT_EQ(VLIBFileCheckKeyValue(kFile.c_str(), "yes", "yes", 7), 1);
    EXPECT_EQ(VLIBFileCheckKeyValue(kFile.c_str(), "no", "yes", 7), 0);
    EXPECT_EQ(VLIBFileCheckKeyValue(kFile.c_str(), "none", "yes", 7), 7);
    EXPECT_EQ(VLIBFileCheckKeyValue(kFile.c_str(), "none", "yes", -3), -3);
    EXPECT_EQ(VLIBFileCheckKeyValue(kFile.c_str(), "yes", nullptr, 7), 0);
    EXPECT_TRUE(log.Lines().empty());

    EXPECT_EQ(VLIBFileCheckKeyValue(kFile.c_str(), "long", "x", 7), 0);
    EXPECT_EQ(VLIBFileCheckKeyValue("/etc/kv/missing", "yes", "yes", 7), 0);
    auto lines = log.Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("file_check_key_value.c:"), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find(" VLIBFileGetKeyValue(long) failed, vorlerr=0x0100"), std::string::npos)
        << lines[0];
    EXPECT_NE(lines[1].find(" VLIBFileGetKeyValue(yes) failed, vorlerr=0x0900"), std::string::npos)
        << lines[1];
}

namespace {

vorl::SzHashHandle Hash(std::initializer_list<std::pair<const char *, const char *>> pairs) {
    vorl::SzHashHandle h(PshVLIBSzHashAlloc(512));
    for (auto &[k, v] : pairs)
        VLIBSzHashSetValue(&h.p, k, v);
    return h;
}

}  // namespace

TEST(SetKeys, ReplacesRemovesAndAppendsInOneRewrite) {
    WriteFile(kFile, "a=1\nb=2\n");
    auto set = Hash({{"a", "9"}, {"z", "1"}});
    EXPECT_EQ(VLIBFileSetKeys(kFile.c_str(), set.p, nullptr, nullptr), 2);
    EXPECT_EQ(ReadFile(kFile), "a=9\nb=2\nz=1\n");
    EXPECT_EQ(set.p->nKey, 1);
    EXPECT_STREQ(SzVLIBSzHashGetValue(set.p, "z"), "1");

    WriteFile(kFile, "  # a=0\n a = 1\nb=2\nc=3\na=4\n\n;c=5\n\"q\"=\"6\"\nlast=7");
    set = Hash({{"a", "x"}, {"q", "y"}, {"new", "n"}});
    auto remove = Hash({{"c", ""}, {"absent", ""}});
    EXPECT_EQ(VLIBFileSetKeys(kFile.c_str(), set.p, remove.p, VORL_KEY_QUOTED_FORMAT), 4);
    EXPECT_EQ(ReadFile(kFile), "  # a=0\na=\"x\"\nb=2\na=4\n\n;c=5\nq=\"y\"\nlast=7\nnew=\"n\"\n");
    EXPECT_EQ(set.p->nKey, 1);
    EXPECT_NE(SzVLIBSzHashGetValue(set.p, "new"), nullptr);
    EXPECT_EQ(remove.p->nKey, 1);
    EXPECT_NE(SzVLIBSzHashGetValue(remove.p, "absent"), nullptr);
}

TEST(SetKeys, CreatesAMissingFileForTheCaller) {
    std::string created = kDir + "/created.conf";
    vorltest::RemoveAll(kDir);
    mkdir(kDir.c_str(), 0755);
    umask(077);
    auto set = Hash({{"k", "v"}});
    EXPECT_EQ(VLIBFileSetKeys(created.c_str(), set.p, nullptr, nullptr), 1);
    EXPECT_EQ(ReadFile(created), "k=v\n");
    struct stat st;
    ASSERT_EQ(stat(created.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
    EXPECT_EQ(st.st_uid, getuid());
    EXPECT_EQ(st.st_gid, getgid());
}

TEST(SetKeys, RefusesLineBreaksAndBadArguments) {
    const std::string before = "a=1\n";
    auto bad = Hash({{"a", "1\nroot=x"}});
    auto badKey = Hash({{"a\rb", "1"}});
    auto good = Hash({{"a", "2"}});
    struct {
        const char *path;
        SzHash *set;
        const char *format;
        unsigned err;
    } cases[] = {
        {kFile.c_str(), bad.p, nullptr, ERR_BAD_PARAMETERS},
        {kFile.c_str(), badKey.p, nullptr, ERR_BAD_PARAMETERS},
        {kFile.c_str(), good.p, "%s=%x\n", ERR_BAD_PARAMETERS},
        {kFile.c_str(), nullptr, nullptr, ERR_BAD_PARAMETERS},
        {nullptr, good.p, nullptr, ERR_BAD_PARAMETERS},
        {kDir.c_str(), good.p, nullptr, ERR_OPEN_FAILED},
    };
    for (auto &c : cases) {
        WriteFile(kFile, before);
        EXPECT_EQ(VLIBFileSetKeys(c.path, c.set, nullptr, c.format), -1);
        EXPECT_EQ(VLIBErrGet(), c.err);
        EXPECT_EQ(ReadFile(kFile), before);
        EXPECT_EQ(ListDir(kDir), std::vector<std::string>{"test.conf"});
    }
}

TEST(GetKeys, WantedKeysFirstLineWinsAllKeysLastLineWins) {
    WriteFile(kFile, "#a=0\na = \"1\"\nb=2\na=3\n;b=4\nc==5\nnovalue\n=x\n");
    vorl::SzListHandle wanted(PslVLIBSzListAlloc(512));
    VLIBSzListPush(&wanted.p, "a");
    auto hash = Hash({{"held", "before"}});
    EXPECT_EQ(VLIBFileGetKeys(kFile.c_str(), wanted.p, &hash.p, "="), 2);
    EXPECT_STREQ(SzVLIBSzHashGetValue(hash.p, "a"), "1");
    EXPECT_EQ(SzVLIBSzHashGetValue(hash.p, "b"), nullptr);
    EXPECT_EQ(wanted.p->nItem, 1);  // the caller's list is not changed

    auto all = Hash({});
    EXPECT_EQ(VLIBFileGetKeys(kFile.c_str(), nullptr, &all.p, "="), 3);
    EXPECT_STREQ(SzVLIBSzHashGetValue(all.p, "a"), "3");
    EXPECT_STREQ(SzVLIBSzHashGetValue(all.p, "b"), "2");
    EXPECT_STREQ(SzVLIBSzHashGetValue(all.p, "c"), "=5");
    EXPECT_STREQ(SzVLIBSzHashGetValue(all.p, "x"), nullptr);

    // A colon-separated file read with its own delimiter.
    WriteFile(kFile, "user: admin\n");
    auto colon = Hash({});
    EXPECT_EQ(VLIBFileGetKeys(kFile.c_str(), nullptr, &colon.p, ":"), 1);
    EXPECT_STREQ(SzVLIBSzHashGetValue(colon.p, "user"), "admin");
}

TEST(GetKeys, ManyKeysGrowTheCallersHash) {
    std::string content;
    for (int i = 0; i < 300; ++i)
        content += "key" + std::to_string(i) + "=\"" + std::to_string(i) + "\"\n";
    WriteFile(kFile, content);
    auto hash = Hash({});
    SzHash *before = hash.p;
    EXPECT_EQ(VLIBFileGetKeys(kFile.c_str(), nullptr, &hash.p, "="), 300);
    EXPECT_NE(hash.p, before);
    EXPECT_STREQ(SzVLIBSzHashGetValue(hash.p, "key299"), "299");
}

TEST(GetKeys, Failures) {
    auto hash = Hash({});
    EXPECT_EQ(VLIBFileGetKeys("/etc/kv/missing", nullptr, &hash.p, "="), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_OPEN_FAILED));
    EXPECT_EQ(VLIBFileGetKeys(kFile.c_str(), nullptr, nullptr, "="), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS));
    EXPECT_EQ(VLIBFileGetKeys(kFile.c_str(), nullptr, &hash.p, nullptr), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS));
    mkdir(kDir.c_str(), 0755);
    EXPECT_EQ(VLIBFileGetKeys(kDir.c_str(), nullptr, &hash.p, "="), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_READ_FAILED));
}

TEST(VorlinfoSetKeyValue, WritesQuotedValueUnderTheLock) {
    WriteFile(VORL_INFO_CONF, "company=\"old\"\nmodel=\"x\"\n");
    EXPECT_EQ(VORLINFOSetKeyValue("company", "new name"), 0);
    EXPECT_EQ(ReadFile(VORL_INFO_CONF), "company=\"new name\"\nmodel=\"x\"\n");
    EXPECT_EQ(conftest::ChildTryLock(0x806, 0), 0);  // released again

    EXPECT_EQ(VORLINFOSetKeyValue(nullptr, "x"), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS));
    EXPECT_EQ(VORLINFOSetKeyValue("k", "a\nb"), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS));
    EXPECT_EQ(conftest::ChildTryLock(0x806, 0), 0);  // released after a failure too
}

TEST(VorlinfoSetKeyValue, WaitsForAnotherWriter) {
    WriteFile(VORL_INFO_CONF, "a=\"1\"\n");
    conftest::LockHolder holder;
    ASSERT_TRUE(holder.Start(0x806));
    holder.ReleaseLater(300);
    EXPECT_EQ(VORLINFOSetKeyValue("a", "2"), 0);
    EXPECT_EQ(ReadFile(VORL_INFO_CONF), "a=\"2\"\n");
    holder.Wait();
}

TEST(VorlinfoSetKeyValue, LockNotTakenIsNotReleased) {
    // The caller reads under a shared lock; the write cannot raise it and
    // must leave the caller's hold alone.
    WriteFile(VORL_INFO_CONF, "a=\"1\"\n");
    ASSERT_EQ(ErrVLIBFileLock(0x805, 5), 0);
    EXPECT_EQ(VORLINFOSetKeyValue("a", "2"), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_LOCK_FAILED));
    EXPECT_EQ(ReadFile(VORL_INFO_CONF), "a=\"1\"\n");
    EXPECT_EQ(vorl::g_rgLockEntry[0].cHold, 1);
    EXPECT_EQ(conftest::ChildTryLock(0x806, 0), ERR_LOCK_FAILED >> 8);
    EXPECT_EQ(ErrVLIBFileUnlock(0x800), 0);
}
