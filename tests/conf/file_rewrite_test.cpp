// The temporary-file rewrite: what a successful rewrite keeps, and that every
// failure - made to happen with libfiu inside the operation - leaves the
// target byte for byte as it was, no temporary file beside it, and the
// rewrite's error code.
#include <errno.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <vorl/err.h>

#include "conf/file_rewrite.h"
#include "conf/line_format.h"
#include "conf_test_util.h"
#include "core/line_reader.h"
#include "vorltest.h"

using vorl::FileRewrite;
using vorltest::ListDir;
using vorltest::ReadFile;
using vorltest::WriteFile;

namespace {

const std::string kDir = "/etc/rw";
const std::string kFile = kDir + "/target.conf";
const std::string kContent = "# settings\nname=\"box\"\nlast line without feed";

// Copies the target through a rewrite, appending one line.
bool CopyAndAppend(const std::string &path) {
    FileRewrite rw;
    if (rw.Open(path.c_str()) != FileRewrite::kOpened || !rw.Start()) return false;
    vorl::LineReader rd(rw.in());
    while (rd.Next())
        if (!rw.Put(rd.view())) return false;
    return rd.AtEof() && rw.Put("\nadded=1\n") && rw.Commit();
}

}  // namespace

TEST(FileRewrite, KeepsOwnerGroupAndModeBits) {
    struct {
        mode_t mode;
        uid_t uid;
        gid_t gid;
    } cases[] = {{0600, 1234, 2345}, {0644, 0, 0}, {04755, 0, 0}, {01640, 99, 100}};
    for (auto &c : cases) {
        SCOPED_TRACE(c.mode);
        WriteFile(kFile, kContent, c.mode);
        ASSERT_EQ(chown(kFile.c_str(), c.uid, c.gid), 0);
        ASSERT_EQ(chmod(kFile.c_str(), c.mode), 0);  // chown clears set-id bits
        struct stat before;
        ASSERT_EQ(stat(kFile.c_str(), &before), 0);

        ASSERT_TRUE(CopyAndAppend(kFile));
        struct stat after;
        ASSERT_EQ(stat(kFile.c_str(), &after), 0);
        EXPECT_EQ(after.st_mode & 07777, c.mode);
        EXPECT_EQ(after.st_uid, c.uid);
        EXPECT_EQ(after.st_gid, c.gid);
        EXPECT_NE(after.st_ino, before.st_ino);  // replaced by rename
        EXPECT_EQ(ReadFile(kFile), kContent + "\nadded=1\n");
        EXPECT_EQ(ListDir(kDir), std::vector<std::string>{"target.conf"});
    }
}

TEST(FileRewrite, TemporaryFileSitsBesideTheTarget) {
    WriteFile(kFile, kContent);
    FileRewrite rw;
    ASSERT_EQ(rw.Open(kFile.c_str()), FileRewrite::kOpened);
    ASSERT_TRUE(rw.Start());
    EXPECT_EQ(rw.tempPath().substr(0, kFile.size() + 1), kFile + ".");
    EXPECT_EQ(rw.tempPath().size(), kFile.size() + 7);
    EXPECT_TRUE(vorltest::Exists(rw.tempPath()));
    ASSERT_TRUE(rw.Put("partial"));
    std::string temp = rw.tempPath();
    rw.Discard();
    EXPECT_FALSE(vorltest::Exists(temp));
    EXPECT_EQ(ReadFile(kFile), kContent);
}

TEST(FileRewrite, AbandonedRewriteRemovesItsTemporaryFile) {
    WriteFile(kFile, kContent);
    {
        FileRewrite rw;
        ASSERT_EQ(rw.Open(kFile.c_str()), FileRewrite::kOpened);
        ASSERT_TRUE(rw.Start());
        ASSERT_TRUE(rw.Put("half of a new file"));
    }  // an early return of an operation
    EXPECT_EQ(ListDir(kDir), std::vector<std::string>{"target.conf"});
    EXPECT_EQ(ReadFile(kFile), kContent);
}

TEST(FileRewrite, OpenReportsMissingDirectoryAndUnreadableTargets) {
    vorltest::RemoveAll(kDir);
    FileRewrite rw;
    VLIBErrSetNoPos(0);
    EXPECT_EQ(rw.Open(kFile.c_str()), FileRewrite::kMissing);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_OPEN_FAILED));

    mkdir(kDir.c_str(), 0755);
    mkdir(kFile.c_str(), 0755);
    VLIBErrSetNoPos(0);
    EXPECT_EQ(rw.Open(kFile.c_str()), FileRewrite::kFailed);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_OPEN_FAILED));
    EXPECT_EQ(rw.Open(kFile.c_str(), "r+"), FileRewrite::kFailed);
}

TEST(FileRewrite, TemporaryNameThatCannotBeMadeIsAnOpenFailure) {
    // The longest name a directory takes: the temporary name is 7 longer.
    std::string longName = kDir + "/" + std::string(250, 'n');
    WriteFile(longName, kContent);
    FileRewrite rw;
    ASSERT_EQ(rw.Open(longName.c_str()), FileRewrite::kOpened);
    VLIBErrSetNoPos(0);
    EXPECT_FALSE(rw.Start());
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_OPEN_FAILED));
    EXPECT_EQ(ReadFile(longName), kContent);
    EXPECT_EQ(ListDir(kDir).size(), 1u);
}

TEST(FileRewrite, NewFileGetsTheGivenAttributes) {
    vorltest::RemoveAll(kDir);
    mkdir(kDir.c_str(), 0755);
    FileRewrite rw;
    rw.ForNewFile(kFile.c_str(), 321, 654, 0644);
    ASSERT_TRUE(rw.Start());
    ASSERT_TRUE(rw.Put("a=1\n"));
    ASSERT_TRUE(rw.Commit());
    struct stat st;
    ASSERT_EQ(stat(kFile.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
    EXPECT_EQ(st.st_uid, 321u);
    EXPECT_EQ(st.st_gid, 654u);
    EXPECT_EQ(ReadFile(kFile), "a=1\n");
}

TEST(LineFormat, AppliesOnlyTwoStringConversions) {
    struct {
        const char *format;
        bool valid;
        const char *line;  // for key k and value v
    } cases[] = {
        {"%s=%s\n", true, "k=v\n"},
        {"%s=\"%s\"\n", true, "k=\"v\"\n"},
        {"\t%s=\"%s\"\n", true, "\tk=\"v\"\n"},
        {"%s = %s 100%%\n", true, "k = v 100%\n"},
        {"%s=%d\n", false, nullptr},
        {"%s=%s%s\n", false, nullptr},
        {"%s\n", false, nullptr},
        {"%s=%n%s\n", false, nullptr},
        {"%s=%s%", false, nullptr},
        {"%-8s=%s\n", false, nullptr},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(vorl::LineFormatValid(c.format), c.valid);
        if (c.valid) {
            EXPECT_EQ(vorl::LineFormatApply(c.format, "k", "v"), c.line);
        }
    }
    EXPECT_FALSE(vorl::LineFormatValid(nullptr));
    EXPECT_TRUE(vorl::HasLineBreak("a\nb"));
    EXPECT_TRUE(vorl::HasLineBreak("a\r"));
    EXPECT_FALSE(vorl::HasLineBreak("a b\t\"c\""));
}

// Each failure point of the rewrite, with the errno libfiu makes the call
// fail with and the error code the rewrite must report.
struct FaultCase {
    const char *point;
    int err;
    unsigned code;
};

const FaultCase kRewriteFaults[] = {
    {"posix/stdio/oc/fdopen", ENOMEM, ERR_OPEN_FAILED},
    {"posix/stdio/rw/fwrite", ENOSPC, ERR_WRITE_FAILED},
    {"posix/stdio/rw/fwrite", EIO, ERR_WRITE_FAILED},
    {"posix/stdio/fflush", ENOSPC, ERR_WRITE_FAILED},
    {"posix/stdio/fflush", EIO, ERR_WRITE_FAILED},
    {"posix/io/sync/fsync", EIO, ERR_WRITE_FAILED},
    {"posix/io/sync/fsync", ENOSPC, ERR_WRITE_FAILED},
    {"vorltest/io/fchown", EIO, ERR_WRITE_FAILED},
    {"vorltest/io/fchown", EPERM, ERR_WRITE_FAILED},
    {"vorltest/io/fchmod", EIO, ERR_WRITE_FAILED},
    {"posix/stdio/oc/fclose", EIO, ERR_WRITE_FAILED},
    {"posix/stdio/oc/fclose", ENOSPC, ERR_WRITE_FAILED},
    {"posix/io/dir/rename", EIO, ERR_RENAME_FAILED},
    {"posix/io/dir/rename", ENOSPC, ERR_RENAME_FAILED},
    {"posix/stdio/gp/getdelim", EIO, ERR_WRITE_FAILED},
};

TEST(FileRewriteFaults, HelperRunsWithoutFaults) {
    WriteFile(kFile, kContent, 0640);
    auto out = conftest::RunWithFault({}, 0, {"rewrite", kFile});
    ASSERT_EQ(out.status, 0) << out.output;
    EXPECT_EQ(out.result, 1) << out.output;
    EXPECT_EQ(ReadFile(kFile), kContent + "added=1\n");
}

TEST(FileRewriteFaults, FailedRewriteLeavesTargetAndNoTemporaryFile) {
    for (const auto &c : kRewriteFaults) {
        SCOPED_TRACE(std::string(c.point) + " errno " + std::to_string(c.err));
        vorltest::RemoveAll(kDir);
        WriteFile(kFile, kContent, 0640);
        auto out = conftest::RunWithFault({c.point}, c.err, {"rewrite", kFile});
        ASSERT_EQ(out.status, 0) << out.output;
        EXPECT_EQ(out.result, -1) << out.output;
        EXPECT_EQ(out.err, c.code) << out.output;
        EXPECT_EQ(ReadFile(kFile), kContent);
        EXPECT_EQ(ListDir(kDir), std::vector<std::string>{"target.conf"});
    }
}
