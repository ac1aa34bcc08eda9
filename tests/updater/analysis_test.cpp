// Package analysis: the refusals, the space check and the migration flags.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "migration_flags.h"
#include "updater.h"
#include "vorltest.h"

using vorltest::ReadFile;
using vorltest::WriteFile;

namespace {

int CountSetFlags() {
    int n = 0;
    for (int *f : kFlags)
        n += *f != 0;
    return n;
}

// The partition lister of the appliance, standing in for the host's: prints
// the listing line of the partition asked for from /sim-partitions (lines of
// "device start end size type") and records its arguments.
void InstallPartitionLister(const std::string &table) {
    struct stat st;
    if (lstat("/sbin", &st) == 0 && S_ISLNK(st.st_mode)) {
        ASSERT_EQ(unlink("/sbin"), 0);
        ASSERT_EQ(mkdir("/sbin", 0755), 0);
    }
    WriteFile("/sbin/sfdisk",
              "#!/bin/sh\n"
              "printf '%s\\n' \"$*\" >>/sfdisk-calls\n"
              "part=${3#-N}\n"
              "grep \"^$4$part \" /sim-partitions\n",
              0755);
    WriteFile("/sim-partitions", table);
}

// A running system of build B and a package of build N for the same model,
// the package's VERSION in the update directory (made the current directory).
void System(int B, int N, const std::string &extractSize = "1000") {
    WriteFile("/etc.defaults/vorlinfo.conf", "unique=\"vorlane_88f5281_1hd\"\n");
    WriteFile("/etc.defaults/VERSION",
              "majorversion=\"2\"\nminorversion=\"0\"\n"
              "buildphase=\"1\"\nbuildnumber=\"" +
                  std::to_string(B) + "\"\n");
    WriteFile("/volume1/upd@te/VERSION",
              "unique=\"vorlane_88f5281_1hd\"\nmajorversion=\"2\"\nminorversion=\"1\"\n"
              "buildphase=\"0\"\nbuildnumber=\"" +
                  std::to_string(N) + "\"\nextractsize=\"" + extractSize + "\"\n");
    ASSERT_EQ(chdir("/volume1/upd@te"), 0);
}

}  // namespace

TEST(MigrationFlags, EachFlagHasItsBuildNumberBoundary) {
    struct Case {
        const char *name;
        int *flag;
        int lowest, highest;  // the flag is set for lowest <= B <= highest
    } cases[] = {
        {"RemoveAtalkRc", &gblRemoveAtalkRc, 1, 107},
        {"RemovePapdConf", &gblRemovePapdConf, 1, 210},
        {"CreateFtpAccounts", &gblCreateFtpAccounts, 1, 229},
        {"RemoveProfile", &gblRemoveProfile, 1, 250},
        {"RemoveJumboFrameRc", &gblRemoveJumboFrameRc, 1, 251},
        {"ConvertJumboMtu", &gblConvertJumboMtu, 1, 308},
        {"DropMediaServerDb", &gblDropMediaServerDb, 1, 867},
        {"UpdateRsyncdConf", &gblUpdateRsyncdConf, 1, 483},
        {"MoveMtuValue", &gblMoveMtuValue, 1, 547},
        {"CheckAndUpdateRsyncdSecrets", &gblCheckAndUpdateRsyncdSecrets, 1, 552},
        {"CheckAndUpdateSmmspGroup", &gblCheckAndUpdateSmmspGroup, 1, 555},
        {"UpdateFTPPassivePortRange", &gblUpdateFTPPassivePortRange, 1, 659},
        {"ConvertUsbBackup", &gblConvertUsbBackup, 1, 681},
        {"FixPhotoEaDir", &gblFixPhotoEaDir, 1, 702},
        {"RewriteHomePaths", &gblRewriteHomePaths, 1, 770},
        {"CreateUserConf", &gblCreateUserConf, 1, 770},
        {"ConvertNetBackup", &gblConvertNetBackup, 1, 770},
        {"CreateMailAccounts", &gblCreateMailAccounts, 1, 775},
        {"ConvertCodepage", &gblConvertCodepage, 1, 807},
        {"ConvertFtpWriteOnly", &gblConvertFtpWriteOnly, 1, 867},
        {"DumpPgsqlDatabases", &gblDumpPgsqlDatabases, 1, 882},
        {"RemoveAlb", &gblRemoveAlb, 1, 886},
        {"ConvertFtpBlockIp", &gblConvertFtpBlockIp, 1, 886},
        {"LinkSqueezeCenterErrmsg", &gblLinkSqueezeCenterErrmsg, 1, 887},
        {"RemoveEventTest", &gblRemoveEventTest, 1, 902},
    };
    for (const Case &c : cases) {
        for (int B : {c.lowest, c.highest, c.highest + 1}) {
            ClearFlags();
            UPDTSetMigrationFlags(B);
            EXPECT_EQ(*c.flag, B <= c.highest ? 1 : 0) << c.name << " with build " << B;
        }
    }
    // The photo database mask: bit 0 for 401-424, bit 1 for 401-481.
    for (auto [B, mask] : std::vector<std::pair<int, int>>{
             {400, 0}, {401, 3}, {424, 3}, {425, 2}, {481, 2}, {482, 0}}) {
        ClearFlags();
        UPDTSetMigrationFlags(B);
        EXPECT_EQ(gPhotoDbFixMask, mask) << "build " << B;
    }
    ClearFlags();
    UPDTSetMigrationFlags(903);
    EXPECT_EQ(CountSetFlags(), 0);
    // Only the analysis's own steps set these two.
    ClearFlags();
    UPDTSetMigrationFlags(1);
    EXPECT_EQ(gblSaveWriteableConfig, 0);
    EXPECT_EQ(gblRecoverFisDirV284, 0);
    EXPECT_EQ(gblCopyBondMtu, 0);  // no bonded interface reported
}

TEST(PartitionLister, ReadsStartSizeAndTypeWithoutAShell) {
    InstallPartitionLister(
        "/dev/hda1 63 1333322 1333260 83\n"
        "/dev/hda3 1333386 2000000 666615 fd\n"
        "/dev/hdb1 63 100\n");
    unsigned long long start = 0;
    unsigned int type = 0;
    EXPECT_EQ(RCPartitionConfigs(1, "/dev/hda", &start, &type), 1333260ull);
    EXPECT_EQ(start, 63ull);
    EXPECT_EQ(type, 0x83u);
    EXPECT_EQ(RCPartitionConfigs(3, "hda", &start, &type), 666615ull);
    EXPECT_EQ(start, 1333386ull);
    EXPECT_EQ(type, 0xFDu);
    EXPECT_EQ(RCPartitionConfigs(1, "hdb", nullptr, nullptr), UPDT_PARTITION_ERROR);  // 3 fields
    EXPECT_EQ(RCPartitionConfigs(2, "hda", nullptr, nullptr), UPDT_PARTITION_ERROR);  // no line
    EXPECT_EQ(RCPartitionConfigs(0, "hda", nullptr, nullptr), UPDT_PARTITION_ERROR);
    EXPECT_EQ(RCPartitionConfigs(1, nullptr, nullptr, nullptr), UPDT_PARTITION_ERROR);
    // A disk name is one argument, never shell text.
    EXPECT_EQ(RCPartitionConfigs(1, "hda; touch /pwned", nullptr, nullptr), UPDT_PARTITION_ERROR);
    EXPECT_FALSE(vorltest::Exists("/pwned"));
    EXPECT_EQ(ReadFile("/sfdisk-calls"),
              "-l -uS -N1 /dev/hda\n-l -uS -N3 /dev/hda\n"
              "-l -uS -N1 /dev/hdb\n-l -uS -N2 /dev/hda\n"
              "-l -uS -N1 /dev/hda; touch /pwned\n");
}

TEST(SystemSpace, NeedsTheArchiveAndTenMiBMore) {
    // 4000000 sectors = 2000000 KiB; partition 3 starts low, so no fixed size.
    InstallPartitionLister("/dev/hda1 63 4000062 4000000 83\n/dev/hda3 1000000 1 1 83\n");
    EXPECT_EQ(UPDTCheckSystemSpace(2000000 - 10240), 1);
    EXPECT_EQ(UPDTCheckSystemSpace(2000000 - 10240 + 1), 0);

    // A legacy partition that cannot grow counts as 361431 KiB whatever its size.
    InstallPartitionLister("/dev/hda1 63 273104 273042 83\n/dev/hda3 1333332 1 1 83\n");
    EXPECT_EQ(UPDTIsFixedSystemPartition(273042), 1);
    EXPECT_EQ(UPDTCheckSystemSpace(361431 - 10240), 1);
    EXPECT_EQ(UPDTCheckSystemSpace(361431 - 10240 + 1), 0);
    InstallPartitionLister("/dev/hda1 63 273104 273042 83\n/dev/hda3 1333331 1 1 83\n");
    EXPECT_EQ(UPDTIsFixedSystemPartition(273042), 0);  // partition 3 too low
    EXPECT_EQ(UPDTCheckSystemSpace(136521 - 10240), 1);
    EXPECT_EQ(UPDTCheckSystemSpace(136521 - 10240 + 1), 0);

    InstallPartitionLister("");
    EXPECT_EQ(UPDTCheckSystemSpace(0), 0);  // no listing: refuse
}

TEST(Analysis, RefusalsInOrder) {
    InstallPartitionLister("/dev/hda1 63 4000062 4000000 83\n/dev/hda3 1000000 1 1 83\n");
    struct Case {
        const char *what;
        std::string file, content;  // written after the default system
        int want;
    } cases[] = {
        {"accepted", "", "", 0},
        {"same build", "/etc.defaults/VERSION",
         "majorversion=\"2\"\nminorversion=\"0\"\nbuildphase=\"1\"\nbuildnumber=\"900\"\n", 10},
        {"running unique missing", "/etc.defaults/vorlinfo.conf", "x=\"1\"\n", 8},
        {"running build missing", "/etc.defaults/VERSION",
         "majorversion=\"2\"\nminorversion=\"0\"\nbuildphase=\"1\"\n", 6},
        {"running build zero", "/etc.defaults/VERSION",
         "majorversion=\"2\"\nminorversion=\"0\"\nbuildphase=\"1\"\nbuildnumber=\"x\"\n", 6},
        {"package unique missing", "VERSION",
         "majorversion=\"2\"\nminorversion=\"1\"\nbuildphase=\"0\"\nbuildnumber=\"900\"\n"
         "extractsize=\"1\"\n",
         9},
        {"package size missing", "VERSION",
         "unique=\"vorlane_88f5281_1hd\"\nmajorversion=\"2\"\nminorversion=\"1\"\n"
         "buildphase=\"0\"\nbuildnumber=\"900\"\n",
         7},
        {"package major 1", "VERSION",
         "unique=\"vorlane_88f5281_1hd\"\nmajorversion=\"1\"\nminorversion=\"1\"\n"
         "buildphase=\"0\"\nbuildnumber=\"900\"\nextractsize=\"1\"\n",
         13},
        {"other model", "VERSION",
         "unique=\"vorlane_88f6281_2hd\"\nmajorversion=\"2\"\nminorversion=\"1\"\n"
         "buildphase=\"0\"\nbuildnumber=\"900\"\nextractsize=\"1\"\n",
         12},
        {"model in upper case", "VERSION",
         "unique=\"VORLANE_88F5281_1HD\"\nmajorversion=\"2\"\nminorversion=\"1\"\n"
         "buildphase=\"0\"\nbuildnumber=\"900\"\nextractsize=\"1\"\n",
         0},
        {"empty model", "VERSION",
         "unique=\"\"\nmajorversion=\"2\"\nminorversion=\"1\"\n"
         "buildphase=\"0\"\nbuildnumber=\"900\"\nextractsize=\"1\"\n",
         12},
        {"too large", "VERSION",
         "unique=\"vorlane_88f5281_1hd\"\nmajorversion=\"2\"\nminorversion=\"1\"\n"
         "buildphase=\"0\"\nbuildnumber=\"900\"\nextractsize=\"1989761\"\n",
         16},
    };
    for (const Case &c : cases) {
        vorltest::RemoveAll("/volume1/upd@te");
        vorltest::RemoveAll(UPDT_MESSAGE_FILE);
        System(500, 900);
        if (!c.file.empty()) WriteFile(c.file, c.content);
        ClearFlags();
        EXPECT_EQ(ErrUPDTIAnalyze_WholeSystem(), c.want) << c.what;
        EXPECT_EQ(vorltest::Exists(UPDT_MESSAGE_FILE), c.want == 16) << c.what;
        EXPECT_EQ(CountSetFlags() > 0, c.want == 0) << c.what;
    }
    EXPECT_EQ(ReadFile(UPDT_MESSAGE_FILE), std::string("extramsg=\"") + UPDT_MSG_NO_SPACE + "\"\n");
}

TEST(Analysis, VersionFileMustBeAReadableRegularFile) {
    InstallPartitionLister("/dev/hda1 63 4000062 4000000 83\n/dev/hda3 1000000 1 1 83\n");
    System(500, 501);
    ASSERT_EQ(rename("VERSION", "VERSION.real"), 0);
    ASSERT_EQ(symlink("VERSION.real", "VERSION"), 0);  // stat follows the link
    EXPECT_EQ(ErrUPDTIAnalyze_WholeSystem(), 0);       // B + 1 passes
    unlink("VERSION");
    ASSERT_EQ(mkdir("VERSION", 0755), 0);
    EXPECT_EQ(ErrUPDTIAnalyze_WholeSystem(), 7);
    rmdir("VERSION");
    WriteFile("VERSION", "");
    EXPECT_EQ(ErrUPDTIAnalyze_WholeSystem(), 7);
    WriteFile("VERSION", ReadFile("VERSION.real"), 0044);  // owner cannot read
    EXPECT_EQ(ErrUPDTIAnalyze_WholeSystem(), 7);
}

TEST(Analysis, DriverBufferAndInitrdFollowTheOldBuild) {
    InstallPartitionLister("/dev/hda1 63 4000062 4000000 83\n/dev/hda3 1000000 1 1 83\n");
    for (auto [B, buffer] : std::vector<std::pair<int, int>>{{350, 0}, {351, 1}}) {
        System(B, 900);
        ClearFlags();
        ASSERT_EQ(ErrUPDTIAnalyze_WholeSystem(), 0);
        EXPECT_EQ(gblMtdDriverBuffer, buffer) << B;
    }
    System(100, 900);
    ClearFlags();
    gblNoInitrd = 1;
    ASSERT_EQ(ErrUPDTIAnalyze_WholeSystem(), 0);
    EXPECT_EQ(CountSetFlags(), 0);
    EXPECT_NE(
        ReadFile(UPDT_LOG_FILE).find("\tUpgrade from version 2.0.1.100 to version 2.1.0.900\n"),
        std::string::npos);
}

TEST(Analysis, LegacyModelsRepairTheDefaultFileSystem) {
    InstallPartitionLister("/dev/hda1 63 4000062 4000000 83\n/dev/hda3 1000000 1 1 83\n");
    auto legacy = [](const char *unique) {
        System(261, 900);
        WriteFile("/etc.defaults/vorlinfo.conf",
                  std::string("unique=\"") + unique + "\"\ndefaultfs=\"ext3\"\n");
        WriteFile("VERSION", std::string("unique=\"") + unique +
                                 "\"\nmajorversion=\"2\"\nminorversion=\"1\"\nbuildphase=\"0\"\n"
                                 "buildnumber=\"900\"\nextractsize=\"1\"\n");
        ClearFlags();
    };
    ASSERT_EQ(mkdir("/writeable", 0755), 0);
    legacy("vorlane_ixp420_1hd");
    vorltest::RemoveAll("/etc/vorlinfo.conf");
    EXPECT_EQ(ErrUPDTIAnalyze_WholeSystem(), 0);
    EXPECT_EQ(gblSaveWriteableConfig, 1);
    EXPECT_EQ(ReadFile("/etc/vorlinfo.conf"), "defaultfs=\"ext3\"\n");

    // The list is compared case-sensitively.
    legacy("VORLANE_IXP420_1HD");
    vorltest::RemoveAll("/etc/vorlinfo.conf");
    EXPECT_EQ(ErrUPDTIAnalyze_WholeSystem(), 0);
    EXPECT_EQ(gblSaveWriteableConfig, 0);
    EXPECT_FALSE(vorltest::Exists("/etc/vorlinfo.conf"));
}

TEST(Junior, DetectedFromTheModelName) {
    struct Case {
        const char *unique;
        int junior;
    } cases[] = {
        {"vorlane_88f5281_junior", 1},
        {"sdkdebug_x", 1},
        {"sdkdebug", 1},
        {"vorlane_88f5281_1hd", 0},
        {"_junior", 1},
        {"junior", 0},
        {"sdkdeb", 0},
        {"", 0},
    };
    for (const Case &c : cases) {
        WriteFile("/etc.defaults/vorlinfo.conf", std::string("unique=\"") + c.unique + "\"\n");
        EXPECT_EQ(UPDTIsJunior(), c.junior) << c.unique;
    }
    vorltest::RemoveAll("/etc.defaults/vorlinfo.conf");
    EXPECT_EQ(UPDTIsJunior(), 0);
}
