#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "vorltest.h"

#include <vorl/err.h>
#include <vorl/wins.h>

namespace {

const char *const kSmbConf = "/usr/vorl/etc/smb.conf";

std::string Global(const std::string &body) {
    return "# SMB server settings\n[global]\n" + body + "\n[homes]\n\tworkgroup = OTHER\n";
}

struct Answer {
    int rc;
    std::string name;
    int fMember = -7, fRunning = -7;
};

Answer Query(int cbName = 64) {
    Answer a;
    std::string buf(static_cast<size_t>(cbName), 'X');
    a.rc = VORLWinsQuery(buf.data(), cbName, &a.fMember, &a.fRunning);
    a.name = buf.c_str();
    return a;
}

}  // namespace

TEST(WinsQuery, DomainNameAndMembershipFollowSecurity) {
    vorltest::WriteFile("/etc/vorlinfo.conf", "runsamba=\"yes\"\n");
    struct {
        std::string body;
        std::string name;
        int fMember;
    } table[] = {
        {"\tsecurity = user\n\tworkgroup = WORKGROUP\n\trealm = IGNORED.LAN", "WORKGROUP", 0},
        {"security=share\nworkgroup=\"SHARED\"", "SHARED", 0},
        {"\tsecurity = domain\n\tworkgroup = CORP", "CORP", 1},
        {"\tsecurity = ads\n\tworkgroup = CORP\n\trealm = CORP.EXAMPLE.COM", "CORP.EXAMPLE.COM", 1},
        // Compared exactly: another case is not a member.
        {"\tsecurity = ADS\n\tworkgroup = CORP\n\trealm = CORP.EXAMPLE.COM", "CORP", 0},
    };
    for (auto &row : table) {
        SCOPED_TRACE(row.body);
        vorltest::WriteFile(kSmbConf, Global(row.body));
        Answer a = Query();
        ASSERT_EQ(a.rc, 0);
        EXPECT_EQ(a.name, row.name);
        EXPECT_EQ(a.fMember, row.fMember);
        EXPECT_EQ(a.fRunning, 1);
    }
}

TEST(WinsQuery, LongNamesAreCutToTheBuffer) {
    vorltest::WriteFile(kSmbConf, Global("security = user\nworkgroup = ABCDEFGHIJ"));
    EXPECT_EQ(Query(5).name, "ABCD");
    EXPECT_EQ(Query(1).name, "");
}

TEST(WinsQuery, RunningFlag) {
    vorltest::WriteFile(kSmbConf, Global("security = user\nworkgroup = W"));
    struct {
        std::string conf;
        int fRunning;
    } table[] = {
        {"runsamba=\"yes\"\n", 1},        {"runsamba=\"YES\"\n", 1}, {"runsamba=\"no\"\n", 0},
        {"runsamba=\"yes please\"\n", 0}, {"language=\"enu\"\n", 0},  // missing key: not running,
                                                                      // no failure
    };
    for (auto &row : table) {
        SCOPED_TRACE(row.conf);
        vorltest::WriteFile("/etc/vorlinfo.conf", row.conf);
        Answer a = Query();
        EXPECT_EQ(a.rc, 0);
        EXPECT_EQ(a.fRunning, row.fRunning);
    }
    // Not asked for: nothing read.
    char name[16];
    int fMember = -1;
    EXPECT_EQ(VORLWinsQuery(name, sizeof(name), &fMember, nullptr), 0);
    EXPECT_EQ(fMember, 0);
}

TEST(WinsQuery, FailuresLeaveTheFlagsAlone) {
    vorltest::WriteFile("/etc/vorlinfo.conf", "runsamba=\"yes\"\n");
    struct {
        const char *body;  // nullptr: no smb.conf at all
        const char *log;
    } table[] = {
        {nullptr, "VLIBFileGetSection failed [900]!!"},
        {"workgroup = W", "key [security] not found or error!!"},
        {"security = ads\nworkgroup = W", "key [realm] not found or error!!"},
        {"security = user\nrealm = R", "key [workgroup] not found or error!!"},
    };
    for (auto &row : table) {
        SCOPED_TRACE(row.log);
        vorltest::RemoveAll(kSmbConf);
        if (row.body) vorltest::WriteFile(kSmbConf, Global(row.body));
        vorltest::SyslogCapture log;
        Answer a = Query();
        EXPECT_EQ(a.rc, -1);
        EXPECT_EQ(a.fMember, -7);
        EXPECT_EQ(a.fRunning, -7);
        EXPECT_TRUE(log.Contains("wins_query1.c:"));
        EXPECT_TRUE(log.Contains(row.log));
    }
    int fMember = 0;
    EXPECT_EQ(VORLWinsQuery(nullptr, 8, &fMember, nullptr), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS));
}
