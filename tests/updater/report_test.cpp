// Progress file, message file and update log.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <regex>
#include <string>

#include "updater.h"
#include "vorltest.h"

using vorltest::Exists;
using vorltest::ReadFile;
using vorltest::WriteFile;

namespace {

// Holds an exclusive flock on a file through its own open file description,
// as the web page's reader (or anyone) might.
struct LockHolder {
    int fd;
    explicit LockHolder(const char *path) : fd(open(path, O_RDWR | O_CREAT, 0644)) {
        EXPECT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
    }
    ~LockHolder() { close(fd); }
};

}  // namespace

TEST(Progress, OverwritesInPlaceWithoutStaleCharacters) {
    EXPECT_FALSE(Exists(UPDT_PROGRESS_FILE));
    UPDTSetProgress('A', 10);  // creates the file
    EXPECT_EQ(ReadFile(UPDT_PROGRESS_FILE), "A:10:      ");
    UPDTSetProgress('P', 100);
    EXPECT_EQ(ReadFile(UPDT_PROGRESS_FILE), "P:100:      ");
    UPDTSetProgress('P', -20);
    EXPECT_EQ(ReadFile(UPDT_PROGRESS_FILE), "P:-20:      ");
    // The file is never truncated: a shorter value leaves only blanks of the
    // longer one behind it.
    UPDTSetProgress('R', 0);
    EXPECT_EQ(ReadFile(UPDT_PROGRESS_FILE), "R:0:        ");
}

TEST(Progress, LockedFileDropsTheValueAfterTheRetries) {
    WriteFile(UPDT_PROGRESS_FILE, "A:0:      ");
    {
        LockHolder reader(UPDT_PROGRESS_FILE);
        EXPECT_EQ(UPDTWriteStatusFile(UPDT_PROGRESS_FILE, "P:5:      ", 0), -2);
        EXPECT_EQ(UPDTWriteStatusFile(UPDT_PROGRESS_FILE, "P:5:      ", 1), -2);
        UPDTSetProgress('P', 5);  // dropped; the run goes on
        EXPECT_EQ(ReadFile(UPDT_PROGRESS_FILE), "A:0:      ");
    }
    // The dropped value is not taken for written: the same value now goes out.
    UPDTSetProgress('P', 5);
    EXPECT_EQ(ReadFile(UPDT_PROGRESS_FILE), "P:5:      ");
    EXPECT_EQ(UPDTWriteStatusFile(UPDT_PROGRESS_FILE, "C:0:      ", 0), 0);
}

TEST(Progress, RepeatedValueIsWrittenOnce) {
    UPDTSetProgress('P', 61);
    EXPECT_EQ(ReadFile(UPDT_PROGRESS_FILE), "P:61:      ");
    WriteFile(UPDT_PROGRESS_FILE, "marker");  // tells whether the next call writes
    UPDTSetProgress('P', 61);
    EXPECT_EQ(ReadFile(UPDT_PROGRESS_FILE), "marker");
    UPDTSetProgress('P', 62);
    EXPECT_EQ(ReadFile(UPDT_PROGRESS_FILE), "P:62:      ");
    UPDTSetProgress('P', 61);  // not the last one written: written again
    EXPECT_EQ(ReadFile(UPDT_PROGRESS_FILE), "P:61:      ");
}

TEST(Progress, SymbolicLinksInTmpAreNotFollowed) {
    WriteFile("/etc/target", "precious");
    unlink(UPDT_PROGRESS_FILE);
    ASSERT_EQ(symlink("/etc/target", UPDT_PROGRESS_FILE), 0);
    EXPECT_EQ(UPDTWriteStatusFile(UPDT_PROGRESS_FILE, "A:0:      ", 1), -1);
    EXPECT_EQ(ReadFile("/etc/target"), "precious");
    unlink(UPDT_PROGRESS_FILE);
    ASSERT_EQ(symlink("/etc/created-by-link", UPDT_PROGRESS_FILE), 0);  // dangling
    EXPECT_EQ(UPDTWriteStatusFile(UPDT_PROGRESS_FILE, "A:0:      ", 1), -1);
    EXPECT_FALSE(Exists("/etc/created-by-link"));
}

TEST(MessageFile, WritesTheSentenceAndReplacesPlantedLinks) {
    ASSERT_EQ(UPDTWriteMessage(UPDT_MSG_REBOOT_FIRST), 0);
    EXPECT_EQ(ReadFile(UPDT_MESSAGE_FILE),
              "extramsg=\"To perform upgrade task, you have to REBOOT your Data Crate first.\"\n");
    ASSERT_EQ(UPDTWriteMessage(UPDT_MSG_NO_SPACE), 0);  // replaces the value
    EXPECT_EQ(ReadFile(UPDT_MESSAGE_FILE), std::string("extramsg=\"") + UPDT_MSG_NO_SPACE + "\"\n");

    unlink(UPDT_MESSAGE_FILE);
    WriteFile("/etc/shadow", "root:secret:1::::::\n", 0600);
    ASSERT_EQ(symlink("/etc/shadow", UPDT_MESSAGE_FILE), 0);
    ASSERT_EQ(UPDTWriteMessage(UPDT_MSG_REBOOT_NOW), 0);
    EXPECT_EQ(ReadFile("/etc/shadow"), "root:secret:1::::::\n");
    struct stat st;
    ASSERT_EQ(lstat(UPDT_MESSAGE_FILE, &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(ReadFile(UPDT_MESSAGE_FILE),
              "extramsg=\"Please reboot the system and upgrade immediately.\"\n");

    unlink(UPDT_MESSAGE_FILE);
    ASSERT_EQ(symlink("/etc/new-file", UPDT_MESSAGE_FILE), 0);
    ASSERT_EQ(UPDTWriteMessage(UPDT_MSG_REBOOT_NOW), 0);
    EXPECT_FALSE(Exists("/etc/new-file"));
}

TEST(UpdateLog, LinesAreTimeStamped) {
    vorltest::RemoveAll(UPDT_LOG_FILE);
    UPDTAppendLog("Start of the update...");
    UPDTAppendLog(nullptr);
    UPDTAppendLog("Failed to accomplish the update! (errno = 20)");
    std::string log = ReadFile(UPDT_LOG_FILE);
    std::regex line(
        R"(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d\tStart of the update\.\.\.\n)"
        R"(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d\tFailed to accomplish the update! \(errno = 20\)\n)");
    EXPECT_TRUE(std::regex_match(log, line)) << log;
}

TEST(UpdateLog, TrimmedOnlyAbove10000Bytes) {
    vorltest::RemoveAll(UPDT_LOG_FILE);
    EXPECT_FALSE(Exists(UPDT_LOG_FILE));
    UPDTTrimLog();
    EXPECT_FALSE(Exists(UPDT_LOG_FILE));  // a missing log stays missing

    WriteFile(UPDT_LOG_FILE, std::string(10000, 'x'));
    UPDTTrimLog();
    EXPECT_EQ(ReadFile(UPDT_LOG_FILE).size(), 10000u);
    UPDTAppendLog("kept");
    EXPECT_GT(ReadFile(UPDT_LOG_FILE).size(), 10000u);

    WriteFile(UPDT_LOG_FILE, std::string(10001, 'x'));
    UPDTTrimLog();
    EXPECT_TRUE(Exists(UPDT_LOG_FILE));
    EXPECT_EQ(ReadFile(UPDT_LOG_FILE), "");
}

TEST(ResultNames, TableMatchesTheUserInterfaceNames) {
    const char *want[UPDT_RESULT_COUNT] = {
        "upgrade_success",      "error_dirop",          "error_dirop",
        "error_dirop",          "error_bootmediaop",    "error_bootmediaop",
        "error_read_ver",       "error_read_patch_ver", "error_read_mod",
        "error_read_patch_mod", "error_version",        "error_model",
        "error_company",        "error_patch",          "error_update_unknown",
        "error_update_unknown", "error_update_unknown", "error_update_unknown",
        "error_update_unknown", "error_update_unknown", "error_update_unknown",
        "error_update_unknown", "error_update_unknown", "error_memory",
        "error_reboot"};
    for (int i = 0; i < UPDT_RESULT_COUNT; ++i)
        EXPECT_STREQ(gszUPDTErrorName[i], want[i]) << i;
}
