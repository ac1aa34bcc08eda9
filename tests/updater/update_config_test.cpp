// The settings migration's file removals: which files go, which failures
// count (and so roll the flash back), and what is said about steps not built.
#include <gtest/gtest.h>

#include <string>

#include "migration_flags.h"
#include "updater.h"
#include "vorltest.h"

using vorltest::Exists;
using vorltest::WriteFile;

namespace {

const char *const kOldFiles[] = {"/usr/vorl/etc/rc.atalk",
                                 "/usr/vorl/etc/papd.conf",
                                 "/etc/profile",
                                 "/usr/vorl/etc/rc.d/S78JumboFrame.sh",
                                 "/usr/vorl/etc/manutil.conf",
                                 "/usr/vorl/etc/php.ini"};

void OldFirmware() {
    for (const char *f : kOldFiles)
        WriteFile(f, "old\n");
}

}  // namespace

TEST(UpdateConfig, RemovesWhatTheOldBuildCallsFor) {
    OldFirmware();
    ClearFlags();
    UPDTSetMigrationFlags(100);
    EXPECT_EQ(UPDTUpdateConfig(), 0);
    for (const char *f : kOldFiles)
        EXPECT_FALSE(Exists(f)) << f;
    // Everything already gone is no failure.
    EXPECT_EQ(UPDTUpdateConfig(), 0);
}

TEST(UpdateConfig, NewerBuildsKeepTheFlaggedFiles) {
    OldFirmware();
    ClearFlags();
    UPDTSetMigrationFlags(500);
    EXPECT_EQ(UPDTUpdateConfig(), 0);
    for (const char *f : {"/usr/vorl/etc/rc.atalk", "/usr/vorl/etc/papd.conf", "/etc/profile",
                          "/usr/vorl/etc/rc.d/S78JumboFrame.sh"}) {
        EXPECT_TRUE(Exists(f)) << f;
    }
    EXPECT_FALSE(Exists("/usr/vorl/etc/manutil.conf"));  // always
    EXPECT_FALSE(Exists("/usr/vorl/etc/php.ini"));       // always
}

TEST(UpdateConfig, OnlyTheCountedRemovalsFail) {
    vorltest::SyslogCapture log;
    ClearFlags();
    WriteFile("/usr/vorl/etc/php.ini/keep", "a directory\n");  // not counted
    EXPECT_EQ(UPDTUpdateConfig(), 0);
    EXPECT_TRUE(
        log.Contains("(UPDTUpdateConfig) Failed to remove /usr/vorl/etc/php.ini, "
                     "errno=(21)[Is a directory]"));

    WriteFile("/usr/vorl/etc/manutil.conf/keep", "a directory\n");  // counted
    EXPECT_EQ(UPDTUpdateConfig(), -1);
    EXPECT_TRUE(
        log.Contains("(UPDTUpdateConfig) Failed to update [/usr/vorl/etc/manutil.conf], "
                     "errno=(21)[Is a directory]"));
}

TEST(UpdateConfig, StepsNotBuiltAreNamedInTheUpdateLog) {
    ClearFlags();
    UPDTSetMigrationFlags(100);
    UPDTUpdateConfig();
    std::string log = vorltest::ReadFile(UPDT_LOG_FILE);
    EXPECT_NE(log.find("\tNot yet built, skipped: settings migration step 3 (FTP accounts)\n"),
              std::string::npos);
    EXPECT_NE(log.find("\tNot yet built, skipped: settings migration step 10 (jumbo-frame MTU "
                       "values)\n"),
              std::string::npos);
    EXPECT_NE(log.find("\tNot yet built, skipped: settings migration step 9 (crontab clean-up)\n"),
              std::string::npos);
}
