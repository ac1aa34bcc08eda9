// Every operation that changes a file, with the calls inside it made to fail
// by libfiu (see conf_fault_helper): the file stays byte for byte as it was,
// no temporary file is left beside it, and the error code names the step.
#include <errno.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include <vorl/err.h>

#include "conf_test_util.h"
#include "vorltest.h"

using vorltest::ListDir;
using vorltest::ReadFile;
using vorltest::WriteFile;

namespace {

const std::string kDir = "/etc/fault";
const std::string kFile = kDir + "/target";

// How an operation writes: through a temporary file, in place at the end
// of the file, or by creating a file that did not exist (with or without
// syncing it).
enum Kind { kRewrite, kAppend, kCreate, kCreateUnsynced };

struct OpCase {
    const char *label;
    const char *name;
    std::vector<std::string> args;  // after the operation's name
    const char *content;            // nullptr: the file does not exist
    Kind kind;
    int okResult;
    unsigned readErr;  // the code for a read error (0: the operation reads nothing)
};

void PrintTo(const OpCase &c, std::ostream *os) {
    *os << c.name;
}

const std::vector<std::string> kWrites = {"posix/stdio/rw/fwrite", "posix/stdio/gp/fputs",
                                          "posix/stdio/sp/fprintf", "posix/stdio/gp/fputc"};

struct Fault {
    std::vector<std::string> points;
    int err;
    unsigned code;  // 0: the operation's read-error code
};

std::vector<Fault> FaultsFor(const OpCase &c) {
    std::vector<Fault> faults = {
        {kWrites, ENOSPC, ERR_WRITE_FAILED},
        {kWrites, EIO, ERR_WRITE_FAILED},
        {{"posix/stdio/fflush"}, ENOSPC, ERR_WRITE_FAILED},
        {{"posix/stdio/fflush"}, EIO, ERR_WRITE_FAILED},
    };
    if (c.kind != kCreateUnsynced) {
        faults.push_back({{"posix/io/sync/fsync"}, EIO, ERR_WRITE_FAILED});
        faults.push_back({{"posix/io/sync/fsync"}, ENOSPC, ERR_WRITE_FAILED});
    }
    if (c.kind == kRewrite) {
        faults.push_back({{"posix/stdio/oc/fdopen"}, ENOMEM, ERR_OPEN_FAILED});
        faults.push_back({{"vorltest/io/fchown"}, EIO, ERR_WRITE_FAILED});
        faults.push_back({{"vorltest/io/fchown"}, EPERM, ERR_WRITE_FAILED});
        faults.push_back({{"vorltest/io/fchmod"}, EIO, ERR_WRITE_FAILED});
        faults.push_back({{"posix/stdio/oc/fclose"}, EIO, ERR_WRITE_FAILED});
        faults.push_back({{"posix/io/dir/rename"}, EIO, ERR_RENAME_FAILED});
        faults.push_back({{"posix/io/dir/rename"}, ENOSPC, ERR_RENAME_FAILED});
    }
    if (c.kind == kCreate || c.kind == kCreateUnsynced)
        faults.push_back({{"posix/stdio/oc/fclose"}, EIO, ERR_WRITE_FAILED});
    if (c.readErr) faults.push_back({{"posix/stdio/gp/getdelim"}, EIO, 0});
    return faults;
}

const char *const kKv = "# settings\nmodel=\"x\"\nname=\"box\"\nlast=\"1\"";
const char *const kLines = "root:x:0:0\nadmin:x:1024:100\nlast:x:1:1";
const char *const kSections = "[global]\n\tworkgroup = X\n[share]\n\tpath=/x\n";

const OpCase kOps[] = {
    {"SetKeyValueReplace",
     "set-key-value",
     {kFile, "name", "new"},
     kKv,
     kRewrite,
     1,
     ERR_WRITE_FAILED},
    {"SetKeyValueAppend",
     "set-key-value",
     {kFile, "added", "v"},
     kKv,
     kRewrite,
     1,
     ERR_WRITE_FAILED},
    {"SetKeyValueCreate", "set-key-value", {kFile, "k", "v"}, nullptr, kCreate, 1, 0},
    {"RemoveKey", "remove-key", {kFile, "name"}, kKv, kRewrite, 1, ERR_WRITE_FAILED},
    {"SetKeys", "set-keys", {kFile, "name", "new", "model"}, kKv, kRewrite, 2, ERR_WRITE_FAILED},
    {"SetKeysCreate", "set-keys", {kFile, "k", "v", "none"}, nullptr, kRewrite, 1, 0},
    {"AddLineBefore",
     "add-line",
     {kFile, "admin", "new:x:2:2", "0"},
     kLines,
     kRewrite,
     1,
     ERR_READ_FAILED},
    {"AddLineFirst",
     "add-line",
     {kFile, "-", "new:x:2:2", "0"},
     kLines,
     kRewrite,
     1,
     ERR_READ_FAILED},
    {"AddLineAppend", "add-line", {kFile, "-", "new:x:2:2", "512"}, kLines, kAppend, 1, 0},
    {"AddLineCreate", "add-line", {kFile, "-", "new:x:2:2", "0"}, nullptr, kCreateUnsynced, 1, 0},
    {"SetLineReplace",
     "set-line",
     {kFile, "admin", "admin:x:1:1", "2"},
     kLines,
     kRewrite,
     1,
     ERR_READ_FAILED},
    {"SetLineDelete", "set-line", {kFile, "admin", "-", "2"}, kLines, kRewrite, 1, ERR_READ_FAILED},
    {"ReplaceSubStr",
     "replace-substr",
     {kFile, ":x:", ":*:"},
     kLines,
     kRewrite,
     3,
     ERR_READ_FAILED},
    {"AddSection", "add-section", {kFile, "new", "k", "v"}, kSections, kAppend, 1, ERR_READ_FAILED},
    {"SetSection",
     "set-section",
     {kFile, "global", "-", "k", "v"},
     kSections,
     kRewrite,
     1,
     ERR_READ_FAILED},
    {"SetSectionRename",
     "set-section",
     {kFile, "global", "renamed", "k", "v"},
     kSections,
     kRewrite,
     1,
     ERR_READ_FAILED},
};

class FaultTest : public testing::TestWithParam<OpCase> {
protected:
    void Prepare(const OpCase &c) {
        vorltest::RemoveAll(kDir);
        mkdir(kDir.c_str(), 0755);
        if (c.content) WriteFile(kFile, c.content, 0640);
    }
};

}  // namespace

TEST_P(FaultTest, SucceedsWithoutFaults) {
    const OpCase &c = GetParam();
    Prepare(c);
    std::vector<std::string> args{c.name};
    args.insert(args.end(), c.args.begin(), c.args.end());
    auto out = conftest::RunWithFault({}, 0, args);
    ASSERT_EQ(out.status, 0) << out.output;
    EXPECT_EQ(out.result, c.okResult) << out.output;
    if (c.content) {
        EXPECT_NE(ReadFile(kFile), c.content);
    } else {
        EXPECT_TRUE(vorltest::Exists(kFile));
    }
    EXPECT_EQ(ListDir(kDir), std::vector<std::string>{"target"});
}

TEST_P(FaultTest, FailedWriteLeavesTheFileAsItWas) {
    const OpCase &c = GetParam();
    std::vector<std::string> args{c.name};
    args.insert(args.end(), c.args.begin(), c.args.end());
    for (const Fault &f : FaultsFor(c)) {
        SCOPED_TRACE(f.points[0] + " errno " + std::to_string(f.err));
        Prepare(c);
        auto out = conftest::RunWithFault(f.points, f.err, args);
        ASSERT_EQ(out.status, 0) << out.output;
        EXPECT_EQ(out.result, -1) << out.output;
        EXPECT_EQ(out.err, f.code ? f.code : c.readErr) << out.output;
        if (c.content) {
            EXPECT_EQ(ReadFile(kFile), c.content);
            EXPECT_EQ(ListDir(kDir), std::vector<std::string>{"target"});
        } else {
            EXPECT_EQ(ListDir(kDir), std::vector<std::string>{});
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Ops, FaultTest, testing::ValuesIn(kOps),
                         [](const auto &info) { return std::string(info.param.label); });

TEST(ReadFaults, ReadErrorsAreFailuresNotMissingData) {
    struct {
        std::vector<std::string> args;
        const char *content;
        unsigned err;
    } cases[] = {
        {{"get-key-value", kFile, "last"}, kKv, ERR_READ_FAILED},
        {{"get-keys", kFile}, kKv, ERR_READ_FAILED},
        {{"get-line", kFile, "last"}, kLines, ERR_READ_FAILED},
        {{"get-section", kFile, "share"}, kSections, ERR_READ_FAILED},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.args[0]);
        vorltest::RemoveAll(kDir);
        WriteFile(kFile, c.content);
        auto out = conftest::RunWithFault({"posix/stdio/gp/getdelim"}, EIO, c.args);
        ASSERT_EQ(out.status, 0) << out.output;
        EXPECT_EQ(out.result, -1) << out.output;
        EXPECT_EQ(out.err, c.err) << out.output;
    }
}
