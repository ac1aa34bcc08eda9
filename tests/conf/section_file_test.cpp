// [section] files: headers, reading a section, appending and rewriting one.
#include <gtest/gtest.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <vorl/conf.h>
#include <vorl/err.h>
#include <vorl/sz_hash.h>

#include "core/raii.h"
#include "vorltest.h"

using vorltest::ListDir;
using vorltest::ReadFile;
using vorltest::WriteFile;

namespace {

const std::string kDir = "/usr/vorl/etc/sect";
const std::string kFile = kDir + "/smb.conf";

vorl::SzHashHandle Hash(std::initializer_list<std::pair<const char *, const char *>> pairs) {
    vorl::SzHashHandle h(PshVLIBSzHashAlloc(512));
    for (auto &[k, v] : pairs)
        VLIBSzHashSetValue(&h.p, k, v);
    return h;
}

int Len(const char *sz) {
    return static_cast<int>(strlen(sz));
}

}  // namespace

TEST(SectionHeader, HeadersAndNamedHeaders) {
    struct {
        const char *line;
        int header;
        int matchesGlobal;
    } cases[] = {
        {"[global]\n", 1, 1},  {"[global] \t\r\n", 1, 1},
        {"[global]", 1, 1},    {"[ global]\n", 1, 0},
        {"[Global]\n", 1, 0},  {"[global]x\n", 0, 0},
        {" [global]\n", 0, 0}, {"[global\n", 0, 0},
        {"[glob]\n", 1, 0},    {"[global]]\n", 1, 0},
        {"[]\n", 1, 0},        {"global\n", 0, 0},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(VLIBFileIsSectionHeader(c.line, Len(c.line)), c.header);
        EXPECT_EQ(VLIBFileMatchSection(c.line, Len(c.line), "global"), c.matchesGlobal);
    }
    EXPECT_EQ(VLIBFileMatchSection("[global]\n", 5, "global"), 0);  // only the given length counts
    EXPECT_EQ(VLIBFileMatchSection(nullptr, 3, "a"), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS));
    EXPECT_EQ(VLIBFileMatchSection("[a]", 3, nullptr), -1);
    EXPECT_EQ(VLIBFileIsSectionHeader(nullptr, 3), 0);
}

TEST(GetSection, ReadsTheEntriesOfTheFirstSectionOfTheName) {
    WriteFile(kFile,
              "a=0\n[global]  \n\tworkgroup = X\n; comment = no\n# also = no\nnot an entry\n"
              "\n= empty key\n[share]\npath=/x\n[global]\nlater=1\n");
    auto hash = Hash({});
    EXPECT_EQ(VLIBFileGetSection(kFile.c_str(), "global", &hash.p), 1);
    EXPECT_STREQ(SzVLIBSzHashGetValue(hash.p, "workgroup"), "X");

    WriteFile(kFile, "[set]\n\tname=\"v a\"\n\tname = \"second\"\n\tkey = a=b\n");
    auto set = Hash({{"held", "1"}});
    EXPECT_EQ(VLIBFileGetSection(kFile.c_str(), "set", &set.p), 3);
    EXPECT_STREQ(SzVLIBSzHashGetValue(set.p, "name"), "second");
    EXPECT_STREQ(SzVLIBSzHashGetValue(set.p, "key"), "a=b");

    auto none = Hash({});
    VLIBErrSetNoPos(0);
    EXPECT_EQ(VLIBFileGetSection(kFile.c_str(), "absent", &none.p), 0);
    EXPECT_EQ(VLIBErrGet(), 0u);
    EXPECT_EQ(none.p->nKey, 0);
}

TEST(GetSection, Failures) {
    auto hash = Hash({});
    EXPECT_EQ(VLIBFileGetSection("/usr/vorl/etc/missing.conf", "global", &hash.p), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_OPEN_FAILED));
    EXPECT_EQ(VLIBFileGetSection(kFile.c_str(), nullptr, &hash.p), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS));
    EXPECT_EQ(VLIBFileGetSection(kFile.c_str(), "global", nullptr), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS));
}

TEST(AddSection, AppendsUnlessTheSectionExists) {
    auto hash = Hash({{"k", "v"}});
    WriteFile(kFile, "[a]\nx=1");
    EXPECT_EQ(ErrVLIBFileAddSection(kFile.c_str(), "b", hash.p, "\t%s=\"%s\"\n"), 1);
    EXPECT_EQ(ReadFile(kFile), "[a]\nx=1\n[b]\n\tk=\"v\"\n");

    struct stat before;
    ASSERT_EQ(stat(kFile.c_str(), &before), 0);
    EXPECT_EQ(ErrVLIBFileAddSection(kFile.c_str(), "b", hash.p, nullptr), 0);
    EXPECT_EQ(ReadFile(kFile), "[a]\nx=1\n[b]\n\tk=\"v\"\n");
    struct stat after;
    ASSERT_EQ(stat(kFile.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);

    EXPECT_EQ(ErrVLIBFileAddSection(kFile.c_str(), "c", nullptr, nullptr), 1);
    EXPECT_EQ(ReadFile(kFile), "[a]\nx=1\n[b]\n\tk=\"v\"\n[c]\n");
}

TEST(AddSection, RefusesAndFailsWithoutWriting) {
    const std::string before = "[a]\nx=1\n";
    auto good = Hash({{"k", "v"}});
    auto bad = Hash({{"k", "v\n[injected]"}});
    struct {
        const char *path;
        const char *name;
        SzHash *hash;
        const char *format;
        unsigned err;
    } cases[] = {
        {kFile.c_str(), "b", bad.p, nullptr, ERR_BAD_PARAMETERS},
        {kFile.c_str(), "b\n[c", good.p, nullptr, ERR_BAD_PARAMETERS},
        {kFile.c_str(), "b", good.p, "%s:%s\n", ERR_BAD_PARAMETERS},
        {kFile.c_str(), "b", good.p, "%s=%s", ERR_BAD_PARAMETERS},
        {kFile.c_str(), nullptr, good.p, nullptr, ERR_BAD_PARAMETERS},
        {"/usr/vorl/etc/sect/missing", "b", good.p, nullptr, ERR_OPEN_FAILED},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.err);
        WriteFile(kFile, before);
        EXPECT_EQ(ErrVLIBFileAddSection(c.path, c.name, c.hash, c.format), -1);
        EXPECT_EQ(VLIBErrGet(), c.err);
        EXPECT_EQ(ReadFile(kFile), before);
        EXPECT_EQ(ListDir(kDir), std::vector<std::string>{"smb.conf"});
    }
}

TEST(SetSection, RenamesReplacesEntriesAndKeepsComments) {
    WriteFile(kFile, "# top\n[a]\nx=1\n[old] \n; keep\nk=1\n# also\n\nj=2\n[z]\nq=1\n", 0640);
    ASSERT_EQ(chown(kFile.c_str(), 100, 200), 0);
    auto hash = Hash({{"k", "9"}});
    EXPECT_EQ(ErrVLIBFileSetSection(kFile.c_str(), "old", "new", hash.p, nullptr), 1);
    EXPECT_EQ(ReadFile(kFile), "# top\n[a]\nx=1\n[new]\nk=9\n; keep\n# also\n[z]\nq=1\n");
    struct stat st;
    ASSERT_EQ(stat(kFile.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_uid, 100u);
    EXPECT_EQ(st.st_gid, 200u);

    // Without a new name the old one stays; every section of the name is set.
    WriteFile(kFile, "[s]\na=1\n[t]\nb=2\n[s]\nc=3");
    EXPECT_EQ(ErrVLIBFileSetSection(kFile.c_str(), "s", nullptr, hash.p, "\t%s=\"%s\"\n"), 1);
    EXPECT_EQ(ReadFile(kFile), "[s]\n\tk=\"9\"\n[t]\nb=2\n[s]\n\tk=\"9\"\n");
    EXPECT_EQ(ListDir(kDir), std::vector<std::string>{"smb.conf"});
}

TEST(ModifySection, ModeZeroDropsTheSection) {
    WriteFile(kFile, "[a]\nx=1\n;note\n[b]\ny=2\n");
    EXPECT_EQ(VLIBFileModifySection(kFile.c_str(), "a", nullptr, nullptr, 0, nullptr), 1);
    EXPECT_EQ(ReadFile(kFile), ";note\n[b]\ny=2\n");
}

TEST(SetSection, NotFoundAndFailures) {
    const std::string before = "[a]\nx=1\n";
    WriteFile(kFile, before);
    struct stat st0;
    ASSERT_EQ(stat(kFile.c_str(), &st0), 0);
    auto hash = Hash({{"k", "v"}});
    VLIBErrSetNoPos(0);
    EXPECT_EQ(ErrVLIBFileSetSection(kFile.c_str(), "absent", nullptr, hash.p, nullptr), 0);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_NOT_FOUND));
    struct stat st1;
    ASSERT_EQ(stat(kFile.c_str(), &st1), 0);
    EXPECT_EQ(st1.st_ino, st0.st_ino);

    auto bad = Hash({{"k", "v\r"}});
    struct {
        const char *path;
        const char *name;
        const char *newName;
        SzHash *hash;
        unsigned err;
    } cases[] = {
        {kFile.c_str(), "a", nullptr, nullptr, ERR_BAD_PARAMETERS},
        {kFile.c_str(), "a", nullptr, bad.p, ERR_BAD_PARAMETERS},
        {kFile.c_str(), "a", "b\nc", hash.p, ERR_BAD_PARAMETERS},
        {kFile.c_str(), nullptr, nullptr, hash.p, ERR_BAD_PARAMETERS},
        {"/usr/vorl/etc/sect/missing", "a", nullptr, hash.p, ERR_OPEN_FAILED},
    };
    for (auto &c : cases) {
        EXPECT_EQ(ErrVLIBFileSetSection(c.path, c.name, c.newName, c.hash, nullptr), -1);
        EXPECT_EQ(VLIBErrGet(), c.err);
        EXPECT_EQ(ReadFile(kFile), before);
        EXPECT_EQ(ListDir(kDir), std::vector<std::string>{"smb.conf"});
    }
}
