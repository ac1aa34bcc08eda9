// Line files: matching, reading, inserting, replacing and deleting lines,
// and replacing a text throughout a file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include <vorl/conf.h>
#include <vorl/err.h>

#include "vorltest.h"

using vorltest::Inode;
using vorltest::ListDir;
using vorltest::ReadFile;
using vorltest::WriteFile;

namespace {

const std::string kDir = "/etc/lines";
const std::string kFile = kDir + "/test";

}  // namespace

TEST(LineMatch, PrefixSuffixAnywhereAndComments) {
    struct {
        const char *line;
        const char *pattern;
        int flags;
        int match;
    } cases[] = {
        {"root:x:0:0\n", "root", VLIB_LINE_PREFIX, 1},
        {" root:x:0:0\n", "root", VLIB_LINE_PREFIX, 0},
        {" root:x:0:0\n", "root", 0, 1},
        {"a:/bin/sh\n", "/bin/sh", VLIB_LINE_SUFFIX, 1},
        {"a:/bin/sh", "/bin/sh", VLIB_LINE_SUFFIX, 1},
        {"a:/bin/sh\n", "/bin/s", VLIB_LINE_SUFFIX, 0},
        {"sh\n", "/bin/sh", VLIB_LINE_SUFFIX, 0},
        {"abc\n", "abc", VLIB_LINE_PREFIX | VLIB_LINE_SUFFIX, 1},
        {"abcd\n", "abc", VLIB_LINE_PREFIX | VLIB_LINE_SUFFIX, 0},
        {"#root\n", "root", 0, 0},
        {";root\n", "root", 0, 0},
        {"\n", "x", 0, 0},
        {"abc\n", "", 0, 1},
        {"x root\n", "root", VLIB_LINE_LAST_MATCH | VLIB_LINE_INSERT_AFTER, 1},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(std::string(c.line) + "|" + c.pattern);
        EXPECT_EQ(VLIBFileLineMatch(c.line, c.pattern, c.flags), c.match);
    }
    EXPECT_EQ(VLIBFileLineMatch(nullptr, "a", 0), 0);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS));
    EXPECT_EQ(VLIBFileLineMatch("a", nullptr, 0), 0);
    EXPECT_EQ(VLIBFileLineMatch("a", "a", -1), 0);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS));
}

TEST(LineMatch, IgnoreCaseUpperCasesBothSides) {
    const int ic = VLIB_LINE_IGNORE_CASE;
    struct {
        const char *line;
        const char *pattern;
        int flags;
        int match;
    } cases[] = {
        {"root:x:0:0\n", "ROOT", VLIB_LINE_PREFIX | ic, 1},
        {"root:x:0:0\n", "ROOT", VLIB_LINE_PREFIX, 0},
        {"ROOT:x\n", "root:X", ic, 1},
        {"straße\n", "STRASSE", ic, 1},
        {"STRASSE\n", "straße", ic | VLIB_LINE_SUFFIX, 1},
        // Upper-casing makes these longer in bytes: U+0149 (2 bytes) gives
        // U+02BC N (3 bytes), U+0390 (2 bytes) gives three code points (6).
        {"\xc5\x89x\n", "\xca\xbcNX", ic, 1},
        {"\xce\x90\xce\x90\xce\x90 tail\n", "TAIL", ic | VLIB_LINE_SUFFIX, 1},
        // A pattern whose upper-cased form outgrows its own length must not
        // turn into an empty pattern that matches every line.
        {"any line at all\n", "\xc5\x89", ic, 0},
        {"any line at all\n", "\xce\x90", ic | VLIB_LINE_PREFIX, 0},
        {"\xc5\x89\n", "\xc5\x89", ic | VLIB_LINE_PREFIX, 1},
        // Text that cannot be upper-cased matches nothing.
        {"bad \xff utf-8\n", "BAD", ic, 0},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(std::string(c.line) + "|" + c.pattern);
        EXPECT_EQ(VLIBFileLineMatch(c.line, c.pattern, c.flags), c.match);
    }
}

TEST(GetLine, FirstOrLastMatchWithoutItsLineFeed) {
    WriteFile(kFile, "#a0\na1\nb\na3");
    char buf[16];
    EXPECT_EQ(VLIBFileGetLine(kFile.c_str(), "a", buf, sizeof buf, 0), 3);
    EXPECT_STREQ(buf, "a1");
    EXPECT_EQ(VLIBFileGetLine(kFile.c_str(), "a", buf, sizeof buf, VLIB_LINE_LAST_MATCH), 3);
    EXPECT_STREQ(buf, "a3");
    EXPECT_EQ(VLIBFileGetLine(kFile.c_str(), "A1", buf, sizeof buf, VLIB_LINE_IGNORE_CASE), 3);
    EXPECT_STREQ(buf, "a1");

    VLIBErrSetNoPos(0);
    EXPECT_EQ(VLIBFileGetLine(kFile.c_str(), "zz", buf, sizeof buf, 0), 0);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_NOT_FOUND));
    EXPECT_STREQ(buf, "");
}

TEST(GetLine, Failures) {
    WriteFile(kFile, "abcdef\n");
    char buf[8];
    struct {
        const char *path;
        const char *pattern;
        char *buf;
        int size;
        int flags;
        unsigned err;
    } cases[] = {
        {kFile.c_str(), "abc", buf, 6, 0, ERR_BUFFER_TOO_SMALL},
        {kFile.c_str(), "abc", buf, 0, 0, ERR_BAD_PARAMETERS},
        {kFile.c_str(), "abc", nullptr, 8, 0, ERR_BAD_PARAMETERS},
        {kFile.c_str(), nullptr, buf, 8, 0, ERR_BAD_PARAMETERS},
        {nullptr, "abc", buf, 8, 0, ERR_BAD_PARAMETERS},
        {kFile.c_str(), "abc", buf, 8, -1, ERR_BAD_PARAMETERS},
        {"/etc/lines/missing", "abc", buf, 8, 0, ERR_OPEN_FAILED},
        {"/etc/lines", "abc", buf, 8, 0, ERR_READ_FAILED},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.err);
        memset(buf, 'x', sizeof buf);
        EXPECT_EQ(VLIBFileGetLine(c.path, c.pattern, c.buf, c.size, c.flags), -1);
        EXPECT_EQ(VLIBErrGet(), c.err);
        if (c.err == ERR_BUFFER_TOO_SMALL) {
            EXPECT_EQ(std::string(buf, 6), std::string(6, '\0'));  // nothing copied
        }
    }
    EXPECT_EQ(VLIBFileGetLine(kFile.c_str(), "abc", buf, 7, 0), 7);
    EXPECT_STREQ(buf, "abcdef");
}

TEST(AddLine, InsertsBeforeOrAfterTheMatchOrAtEitherEnd) {
    const int after = VLIB_LINE_INSERT_AFTER;
    struct {
        const char *before;
        const char *pattern;
        int flags;
        const char *after;
    } cases[] = {
        {"a\nb\n", nullptr, after, "a\nb\nn\n"},
        {"a\nb", nullptr, after, "a\nb\nn\n"},
        {"", nullptr, after, "n\n"},
        {"a\nb\n", nullptr, 0, "n\na\nb\n"},
        {"", nullptr, 0, "n\n"},
        {"a\nb\n", "b", 0, "a\nn\nb\n"},
        {"a\nb\n", "b", after, "a\nb\nn\n"},
        {"a\nb", "b", after, "a\nb\nn\n"},
        {"a\nb\nc\n", "a", after, "a\nn\nb\nc\n"},
        {"x1\ny\nx2\n", "x", VLIB_LINE_LAST_MATCH, "x1\ny\nn\nx2\n"},
        {"x1\ny\nx2\n", "x", VLIB_LINE_LAST_MATCH | after, "x1\ny\nx2\nn\n"},
        {"#b\n b\n", "b", 0, "#b\nn\n b\n"},
        {"pid file = x\nlock file = y\n", "lock file =", VLIB_LINE_PREFIX,
         "pid file = x\nn\nlock file = y\n"},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(std::string(c.before) + "|" + (c.pattern ? c.pattern : "(none)"));
        WriteFile(kFile, c.before);
        EXPECT_EQ(VLIBFileAddLine(kFile.c_str(), c.pattern, "n", c.flags), 1);
        EXPECT_EQ(ReadFile(kFile), c.after);
        EXPECT_EQ(ListDir(kDir), std::vector<std::string>{"test"});
    }
}

TEST(AddLine, AppendsInPlaceAndRewritesOtherwise) {
    WriteFile(kFile, "a\n", 0600);
    ino_t ino = Inode(kFile);
    EXPECT_EQ(VLIBFileAddLine(kFile.c_str(), nullptr, "b", VLIB_LINE_INSERT_AFTER), 1);
    EXPECT_EQ(Inode(kFile), ino);
    EXPECT_EQ(VLIBFileAddLine(kFile.c_str(), "a", "c", 0), 1);
    EXPECT_NE(Inode(kFile), ino);
    struct stat st;
    ASSERT_EQ(stat(kFile.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(ReadFile(kFile), "c\na\nb\n");
}

TEST(AddLine, NoMatchMissingFileAndFailures) {
    WriteFile(kFile, "a\n");
    ino_t ino = Inode(kFile);
    VLIBErrSetNoPos(0);
    EXPECT_EQ(VLIBFileAddLine(kFile.c_str(), "z", "n", 0), 0);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_NOT_FOUND));
    EXPECT_EQ(ReadFile(kFile), "a\n");
    EXPECT_EQ(Inode(kFile), ino);

    std::string created = kDir + "/created";
    EXPECT_EQ(VLIBFileAddLine(created.c_str(), "z", "first", 0), 1);
    EXPECT_EQ(ReadFile(created), "first\n");

    EXPECT_EQ(VLIBFileAddLine(kFile.c_str(), nullptr, nullptr, 0), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS));
    EXPECT_EQ(VLIBFileAddLine(kFile.c_str(), nullptr, "n", -1), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS));
    EXPECT_EQ(VLIBFileAddLine(kDir.c_str(), nullptr, "n", 0), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_OPEN_FAILED));
    EXPECT_EQ(VLIBFileAddLine("/etc/lines/no/such", nullptr, "n", 0), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_OPEN_FAILED));
}

TEST(SetLine, ReplacesOrDeletesOneLine) {
    struct {
        const char *before;
        const char *pattern;
        const char *newLine;
        int flags;
        const char *after;
    } cases[] = {
        {"a1\nb\na3\n", "a", nullptr, 0, "b\na3\n"},
        {"a1\nb\na3\n", "a", nullptr, VLIB_LINE_LAST_MATCH, "a1\nb\n"},
        {"a1\nb\na3\n", "b", "B", 0, "a1\nB\na3\n"},
        {"a\nlast", "last", "L", 0, "a\nL\n"},
        {"a\nlast", "last", nullptr, 0, "a\n"},
        {"smmsp:x:25:\nx:smmsp:1:\n", "smmsp:", "smmsp:x:25:postfix", VLIB_LINE_PREFIX,
         "smmsp:x:25:postfix\nx:smmsp:1:\n"},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.before);
        WriteFile(kFile, c.before);
        EXPECT_EQ(VLIBFileSetLine(kFile.c_str(), c.pattern, c.newLine, c.flags), 1);
        EXPECT_EQ(ReadFile(kFile), c.after);
        EXPECT_EQ(ListDir(kDir), std::vector<std::string>{"test"});
    }
}

TEST(SetLine, NoMatchMissingFileAndFailures) {
    WriteFile(kFile, "a\n");
    ino_t ino = Inode(kFile);
    EXPECT_EQ(VLIBFileSetLine(kFile.c_str(), "z", "n", 0), 0);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_NOT_FOUND));
    EXPECT_EQ(Inode(kFile), ino);

    std::string created = kDir + "/created";
    EXPECT_EQ(VLIBFileSetLine(created.c_str(), "z", "n", 0), 1);
    EXPECT_EQ(ReadFile(created), "n\n");

    EXPECT_EQ(VLIBFileSetLine(kFile.c_str(), nullptr, "n", 0), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS));
    EXPECT_EQ(VLIBFileSetLine(kDir.c_str(), "a", "n", 0), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_OPEN_FAILED));
}

TEST(ReplaceSubStr, ReplacesLeftToRightWithoutOverlaps) {
    struct {
        const char *before;
        const char *oldText;
        const char *newText;
        int count;
        const char *after;
    } cases[] = {
        {"aaaa\n", "aa", "a", 2, "aa\n"},
        {"x a y a\nza\n#a", "a", "bb", 4, "x bb y bb\nzbb\n#bb"},
        {"a\n", "a", "aa", 1, "aa\n"},
        {"/volume1/x\n/volume1\n", "/volume1", "", 2, "/x\n\n"},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.before);
        WriteFile(kFile, c.before);
        EXPECT_EQ(VLIBFileReplaceSubStr(kFile.c_str(), c.oldText, c.newText), c.count);
        EXPECT_EQ(ReadFile(kFile), c.after);
    }

    WriteFile(kFile, "abc\n");
    ino_t ino = Inode(kFile);
    EXPECT_EQ(VLIBFileReplaceSubStr(kFile.c_str(), "z", "y"), 0);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_NOT_FOUND));
    EXPECT_EQ(Inode(kFile), ino);
    EXPECT_EQ(ListDir(kDir), std::vector<std::string>{"test"});
    EXPECT_EQ(VLIBFileReplaceSubStr(kFile.c_str(), "", "y"), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS));
    EXPECT_EQ(VLIBFileReplaceSubStr("/etc/lines/missing", "a", "b"), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_OPEN_FAILED));
}
