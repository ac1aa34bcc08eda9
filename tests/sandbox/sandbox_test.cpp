// The sandbox itself: the code under test sees a fresh appliance root.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <syslog.h>
#include <unistd.h>

#include "vorltest.h"

TEST(Sandbox, AppliancePathsAreFreshAndPrivate) {
    EXPECT_EQ(getuid(), 0u);
    EXPECT_FALSE(vorltest::Exists("/etc/vorlinfo.conf"));
    EXPECT_FALSE(vorltest::Exists("/tmp/lock"));
    for (const char *dir : {"/etc", "/etc.defaults", "/tmp", "/var", "/usr/vorl", "/volume1"}) {
        std::string probe = std::string(dir) + "/.probe";
        vorltest::WriteFile(probe, "x");
        EXPECT_EQ(vorltest::ReadFile(probe), "x") << dir;
    }
    // The host's programs are there, read-only.
    EXPECT_EQ(access("/bin/sh", X_OK), 0);
    EXPECT_EQ(open("/usr/bin/.probe", O_WRONLY | O_CREAT, 0644), -1);
    EXPECT_EQ(errno, EROFS);
}

TEST(Sandbox, SyslogLinesAreCaptured) {
    vorltest::SyslogCapture log;
    openlog("sandbox_test", LOG_PID, LOG_USER);
    syslog(LOG_ERR, "%s:%d hello %s", "x.c", 7, "world");
    syslog(LOG_DEBUG, "trace");
    auto msgs = log.Messages();
    ASSERT_EQ(msgs.size(), 2u);
    EXPECT_EQ(msgs[0].text, "x.c:7 hello world");
    EXPECT_EQ(msgs[0].priority, LOG_ERR);
    EXPECT_EQ(msgs[1].priority, LOG_DEBUG);
    // A child's lines arrive too.
    ASSERT_EQ(system("logger -t child 'from a child'"), 0);
    EXPECT_TRUE(log.Contains("from a child"));
}
