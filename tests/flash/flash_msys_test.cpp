// The msys layout: the whole run of UPDTMSysUpdate on the simulated msys
// flash, with and without a re-format, roll-back after a failure, and the
// group update that neither backs up nor rolls back.
#include "flash_test_support.h"
#include "vorltest.h"

using namespace vorlsim;
using namespace flashtest;
using simtest::Snapshot;
using simtest::Written;

namespace {

constexpr uint32_t kBlock = 16384;

class MsysTest : public ::testing::Test {
protected:
    void SetUp() override {
        kernel_.msys = DefaultMsysFlash();  // blocks 16 128 192 160 4 4 4 4
        for (int k = 0; k < 8; k++)
            kernel_.msys->partitions[k].content = PatternBytes(3 * kBlock + 100 * k, 40 + k);
        simtest::Install(kernel_);
        ResetRun(false);
        before_ = Snapshot();
    }
    std::string Old(int k) { return kernel_.msys->partitions[k].content; }
    SimKernel kernel_;
    FlashSnapshot before_;
};

TEST_F(MsysTest, UpdateWithoutReformat) {
    const std::string kernel = PatternBytes(100 * kBlock, 1);
    WriteImage("zImage", kernel);
    vorltest::WriteFile(std::string(kUpdateDir) + "/hda1.tgz", "archive");
    char stage = 0;
    EXPECT_EQ(UPDTMSysUpdate(&stage), 0);
    EXPECT_EQ(stage, 'R');
    FlashSnapshot s = Snapshot();
    EXPECT_EQ(s.Count(kOpFormat), 0u);
    EXPECT_TRUE(s.Partition(1) == Written(kernel, 128 * kBlock));
    for (int k : {0, 2, 3, 4, 5, 6, 7})
        EXPECT_TRUE(s.Partition(k) == before_.Partition(k)) << k;
    EXPECT_FALSE(vorltest::Exists(std::string(kUpdateDir) + "/b@ckup"));
    EXPECT_EQ(vorltest::ReadFile("/volume1/VorlUpgrade.tar.gz"), "archive");
    EXPECT_EQ(gProgress.back(), std::make_pair('R', 0));
    EXPECT_EQ(gUpdateLog.back(), "Congratulation!! The update has been completed!!");
}

TEST_F(MsysTest, UpdateWithReformatKeepsThePartitionsWithoutImage) {
    // The kernel needs 140 blocks: the ramdisk (most room, no image) gives
    // 12 and is rewritten, shorter, from its backup copy.
    const std::string kernel = PatternBytes(140 * kBlock - 5, 1);
    WriteImage("zImage", kernel);
    vorltest::SyslogCapture log;
    char stage = 0;
    ASSERT_EQ(UPDTMSysUpdate(&stage), 0);
    EXPECT_TRUE(log.Contains("NEED RE-PARTITION!!"));
    FlashSnapshot s = Snapshot();
    EXPECT_EQ(s.Count(kOpFormat), 1u);
    EXPECT_EQ(s.Size(1), 140u * kBlock);
    EXPECT_EQ(s.Size(2), 180u * kBlock);
    EXPECT_EQ(s.state().mtd[2].offset, 156u * kBlock);
    EXPECT_TRUE(s.Partition(1) == Written(kernel, 140 * kBlock));
    for (int k : {0, 2, 3, 4, 5, 6, 7})
        EXPECT_TRUE(s.Partition(k) == Written(Old(k), s.Size(k))) << k;
}

TEST_F(MsysTest, FailureRollsBackLayoutAndDataByteForByte) {
    struct Case {
        const char *what;
        uint32_t kernelBytes;
        const char *fault, *value;
        int config;
        int result;
        uint64_t formats;
    } cases[] = {
        {"write fails after a re-format", 140 * kBlock, "fault_write", "mtd3:1", 0, 20, 2},
        {"settings migration fails", 100 * kBlock, "", "", -1, 17, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        WriteImage("zImage", PatternBytes(c.kernelBytes, 1));
        if (*c.fault) simtest::SetConf(c.fault, c.value);
        gConfigResult = c.config;
        char stage = 0;
        EXPECT_EQ(UPDTMSysUpdate(&stage), c.result);
        EXPECT_EQ(stage, c.result == 17 ? 'C' : 'P');
        FlashSnapshot s = Snapshot();
        EXPECT_EQ(s.Count(kOpFormat), c.formats);
        EXPECT_TRUE(s.flash() == before_.flash()) << "the flash differs after the roll-back";
        for (int k = 0; k < 8; k++)
            EXPECT_EQ(s.Size(k), before_.Size(k)) << k;
        EXPECT_EQ(gblRollBackFailed, 0);
        EXPECT_FALSE(vorltest::Exists(std::string(kUpdateDir) + "/b@ckup"));
    }
}

TEST_F(MsysTest, FailedRollBackKeepsTheBackup) {
    WriteImage("zImage", PatternBytes(100 * kBlock, 1));
    gConfigResult = -1;
    simtest::SetConf("fault_write", "mtd5:1-");  // the roll-back cannot rewrite vorlcfg
    vorltest::SyslogCapture log;
    char stage = 0;
    EXPECT_EQ(UPDTMSysUpdate(&stage), 17);
    EXPECT_EQ(gblRollBackFailed, 1);
    EXPECT_TRUE(log.Contains("fail to recover [vorlcfg]"));
    EXPECT_TRUE(log.Contains("UPDTMSysUpdate: UPDTRollBack() fail"));
    EXPECT_TRUE(vorltest::Exists(std::string(kUpdateDir) + "/b@ckup/mtd_vorlcfg"));
    FlashSnapshot s = Snapshot();
    EXPECT_TRUE(s.Partition(1) == before_.Partition(1));  // the others were restored
    EXPECT_TRUE(s.Partition(7) == before_.Partition(7));
}

TEST_F(MsysTest, GroupUpdateNeverBacksUpNorRollsBack) {
    gblGroupUpdate = 1;
    struct Case {
        const char *what;
        uint32_t kernelBytes;
        const char *fault;
        int result;
    } cases[] = {
        {"success", 100 * kBlock, "", 0},
        {"re-format needs every image", 140 * kBlock, "", 20},
        {"failed write is not rolled back", 100 * kBlock, "mtd1:2", 20},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        gblGroupUpdate = 1;
        gConfigResult = -1;  // never asked in a group update
        WriteImage("zImage", PatternBytes(c.kernelBytes, 1));
        simtest::SetConf("fault_write", c.fault);
        char stage = 0;
        EXPECT_EQ(UPDTMSysUpdate(&stage), c.result);
        for (const std::string &cmd : gCommands) {
            EXPECT_EQ(cmd.find("b@ckup/mtd_"), std::string::npos) << cmd;
            EXPECT_EQ(cmd.find("/bin/mkdir"), std::string::npos) << cmd;
        }
        FlashSnapshot s = Snapshot();
        EXPECT_EQ(s.Count(kOpFormat), 0u);
        if (c.result == 20 && *c.fault) {
            EXPECT_FALSE(s.Partition(1) == before_.Partition(1));  // left as it failed
        }
    }
}

TEST_F(MsysTest, PartitionListAndPlan) {
    VORL_FIS_ENTRY e[8];
    ASSERT_EQ(UPDTMSysGetPartitionInfo(e), 8);
    uint32_t base = 0;
    for (int k = 0; k < 8; k++) {
        EXPECT_STREQ(e[k].szName, gPatchInfo[k].name);
        EXPECT_EQ(e[k].ulFlashBase, base);
        EXPECT_EQ(e[k].ulLength, kernel_.msys->partitions[k].length);
        EXPECT_EQ(e[k].ulDataLength, Old(k).size());
        base += e[k].ulLength;
    }
    WriteImage("rd.bin", PatternBytes(967 * kBlock - 10 * kBlock, 1));
    vorltest::SyslogCapture log;
    EXPECT_EQ(UPDTMSysInitPatchInfo(e, 8), -1);
    EXPECT_TRUE(log.Contains("the binary size exceeds flash size limit(total = "));
    EXPECT_TRUE(log.Contains("Available flash units = 967 blocks, eraseblock = 16384 bytes"));
    uint32_t blocks[8] = {};
    EXPECT_EQ(UPDTMSysFormat(blocks, 7), -1);
    EXPECT_EQ(UPDTMSysFormat(nullptr, 8), -1);
}

}  // namespace
