// Running the update's programs: argument vectors, exit status and signals.
#include <gtest/gtest.h>

#include "updater.h"
#include "vorltest.h"

TEST(Execute, ExitStatusAndSignalsAreFailures) {
    vorltest::SyslogCapture log;
    const char *const ok[] = {"/bin/true", nullptr};
    EXPECT_EQ(UPDTExecute(ok), 0);
    const char *const fails[] = {"/bin/sh", "-c", "exit 3", nullptr};
    EXPECT_EQ(UPDTExecute(fails), -1);
    EXPECT_TRUE(log.Contains("UPDTExecute("));
    EXPECT_TRUE(log.Contains("failed to execute cmd=[/bin/sh -c 'exit 3'], ret = 3"));
    const char *const killed[] = {"/bin/sh", "-c", "kill -9 $$", nullptr};
    EXPECT_EQ(UPDTExecute(killed), -1);
    const char *const missing[] = {"/bin/no-such-program", nullptr};
    EXPECT_EQ(UPDTExecute(missing), -1);
    EXPECT_EQ(UPDTExecute(nullptr), -1);
}

TEST(Execute, ArgumentsAreNeverShellText) {
    const char *const argv[] = {"/bin/mkdir", "-p", "/volume1/a b; touch /pwned", nullptr};
    EXPECT_EQ(UPDTExecute(argv), 0);
    EXPECT_TRUE(vorltest::Exists("/volume1/a b; touch /pwned"));
    EXPECT_FALSE(vorltest::Exists("/pwned"));
}

TEST(Execute, ReadsTheFirstLineOfTheOutput) {
    char line[8];
    const char *const argv[] = {"/bin/sh", "-c", "echo yes; echo no", nullptr};
    EXPECT_EQ(UPDTExecuteRead(argv, line, sizeof(line)), 3);
    EXPECT_STREQ(line, "yes");
    const char *const longLine[] = {"/bin/sh", "-c", "echo 0123456789; seq 100000", nullptr};
    EXPECT_EQ(UPDTExecuteRead(longLine, line, sizeof(line)), 7);  // cut, rest drained
    EXPECT_STREQ(line, "0123456");
    const char *const missing[] = {"/bin/no-such-program", nullptr};
    EXPECT_EQ(UPDTExecuteRead(missing, line, sizeof(line)), -1);
}
