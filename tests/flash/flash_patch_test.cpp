// Patching the RedBoot layout on the simulated flash: backup, erase, write,
// verify with retries, FIS entries, balancing, roll-back, and the repair of
// the build-284 FIS directory.
#include "flash_test_support.h"
#include "vorltest.h"

using namespace vorlsim;
using namespace flashtest;
using simtest::Snapshot;
using simtest::Written;

namespace {

constexpr uint32_t kBlock = 0x10000;

class PatchTest : public ::testing::Test {
protected:
    void Start(const SimKernel &k, bool junior = false) {
        simtest::Install(k);
        ResetRun(junior);
        before_ = Snapshot();
    }
    // Plan and backup as the driver runs them; false when either fails.
    bool PlanAndBackup() {
        entries_ = ReadEntries();
        int n = static_cast<int>(entries_.size());
        return UPDTInitPatchInfo(entries_.data(), n) == 0 &&
               UPDTBackupOldPartition(entries_.data(), n) == 0;
    }
    int Patch() { return UPDTDoPatch(entries_.data(), static_cast<int>(entries_.size())); }
    int RollBack() { return UPDTRollBack(entries_.data(), static_cast<int>(entries_.size())); }
    // Asserts the device's window, content and FIS entry.
    void ExpectPartition(int mtd, const std::string &name, uint32_t start, uint32_t size,
                         const std::string &data) {
        SCOPED_TRACE(name);
        FlashSnapshot s = Snapshot();
        EXPECT_EQ(s.Address(mtd), start);
        EXPECT_EQ(s.Size(mtd), size);
        EXPECT_TRUE(s.Partition(mtd) == Written(data, size)) << "content differs";
        bool found = false;
        for (const FisEntry &e : s.Fis())
            if (e.name == name) {
                found = true;
                EXPECT_EQ(e.flashBase, start);
                EXPECT_EQ(e.length, size);
                EXPECT_EQ(e.dataLength, data.size());
            }
        EXPECT_TRUE(found);
    }
    std::string Content(const std::string &name) {
        return FindPartition(kernel_.redboot->partitions, name)->content;
    }
    SimKernel kernel_ = FullKernel();
    FlashSnapshot before_;
    std::vector<VORL_FIS_ENTRY> entries_;
};

TEST_F(PatchTest, SuccessfulPatchLeavesEveryPartitionAndEntryAsPlanned) {
    Start(kernel_);
    const std::string kernel = PatternBytes(0x150000, 1), ramdisk = PatternBytes(0x200000, 2);
    WriteImage("zImage", kernel);
    WriteImage("rd.bin", ramdisk);
    ASSERT_TRUE(PlanAndBackup());
    ASSERT_EQ(Patch(), 0);

    ExpectPartition(1, "zImage", 0xFF840000, 0x200000, kernel);
    ExpectPartition(2, "rd.gz", 0xFFA40000, 0x300000, ramdisk);
    FlashSnapshot s = Snapshot();
    for (int mtd : {0, 3, 4, 5, 6}) {
        EXPECT_EQ(s.Partition(mtd), before_.Partition(mtd)) << mtd;
        EXPECT_EQ(s.Fis()[mtd], before_.Fis()[mtd]) << mtd;
        EXPECT_TRUE(s.Locked(mtd)) << mtd;
    }
    EXPECT_FALSE(s.AnyLocked(1));  // rewritten partitions stay unlocked
    EXPECT_FALSE(s.AnyLocked(2));
    // The backup holds every partition byte for byte.
    for (int mtd = 0; mtd < 8; mtd++) {
        std::string name = before_.Fis()[mtd].name;
        EXPECT_TRUE(vorltest::ReadFile(std::string(kUpdateDir) + "/b@ckup/mtd_" + name) ==
                    before_.Partition(mtd))
            << name;
    }
    // Backup 30..65, then the patch from 60 to 100, each value written once.
    std::vector<std::pair<char, int>> backup(gProgress.begin(), gProgress.begin() + 8);
    EXPECT_EQ(backup.front(), std::make_pair('P', 30));
    EXPECT_EQ(backup.back(), std::make_pair('P', 65));
    std::vector<std::pair<char, int>> patch(gProgress.begin() + 8, gProgress.end());
    ASSERT_FALSE(patch.empty());
    EXPECT_EQ(patch.front(), std::make_pair('P', 60));
    EXPECT_EQ(patch.back(), std::make_pair('P', 100));
    for (size_t i = 1; i < patch.size(); i++)
        EXPECT_GT(patch[i].second, patch[i - 1].second);
    EXPECT_EQ(gCommands.front(), "/bin/rm -rf /volume1/upd@te/b@ckup");
    EXPECT_EQ(gCommands[2], "/bin/dd if=/dev/mtd0 of=/volume1/upd@te/b@ckup/mtd_RedBoot bs=16384");
}

TEST_F(PatchTest, BalancingMovesPartitionsAndRewritesThoseWithoutImageFromTheBackup) {
    Start(kernel_);
    // The kernel needs 2 blocks more; the libraries (no image) have the most
    // room, give 2 blocks and move with the ramdisk.
    const std::string kernel = PatternBytes(0x220000 - 100, 1), ramdisk = PatternBytes(0x2C0000, 2);
    WriteImage("zImage", kernel);
    WriteImage("rd.bin", ramdisk);
    ASSERT_TRUE(PlanAndBackup());
    vorltest::SyslogCapture log;
    ASSERT_EQ(Patch(), 0);
    EXPECT_TRUE(log.Contains("NEED RESIZE THE PARTITION"));
    EXPECT_TRUE(log.Contains("[AllLib.tgz] is rewritten from its backup copy"));
    ExpectPartition(1, "zImage", 0xFF840000, 0x220000, kernel);
    ExpectPartition(2, "rd.gz", 0xFFA60000, 0x300000, ramdisk);
    ExpectPartition(3, "AllLib.tgz", 0xFFD60000, 0x260000, Content("AllLib.tgz"));
    FlashSnapshot s = Snapshot();
    for (int mtd : {0, 4, 5, 6})
        EXPECT_EQ(s.Partition(mtd), before_.Partition(mtd)) << mtd;
}

TEST_F(PatchTest, MovesThatCannotBeDoneSafelyAreRefusedBeforeAnyErase) {
    struct Case {
        const char *what;
        bool junior, group;
        const char *logged;
    } cases[] = {
        // On the junior the kernel is followed by the fixed vendor partition.
        {"junior kernel growing into the vendor partition", true, false,
         "partition [zImage] overlaps partition [vendor]"},
        // A group update has no backup to rewrite the moved libraries from.
        {"group update moving a partition without image", false, true,
         "[AllLib.tgz] must move but neither its image [AllLib.tgz] nor a backup copy exists"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Start(c.junior ? JuniorKernel() : FullKernel(), c.junior);
        if (c.junior) {
            WriteImage("zImage", PatternBytes(0xD0000 + 1, 1));
        } else {
            WriteImage("zImage", PatternBytes(0x220000 - 100, 1));
            WriteImage("rd.bin", PatternBytes(0x2C0000, 2));
        }
        gblGroupUpdate = c.group;
        entries_ = ReadEntries();
        ASSERT_EQ(UPDTInitPatchInfo(entries_.data(), static_cast<int>(entries_.size())), 0);
        vorltest::SyslogCapture log;
        EXPECT_EQ(Patch(), -1);
        EXPECT_TRUE(log.Contains(c.logged));
        FlashSnapshot s = Snapshot();
        EXPECT_EQ(s.Count(kOpErase), 0u);
        EXPECT_EQ(s.Count(kOpSetSize), 0u);
        EXPECT_TRUE(s.flash() == before_.flash());
    }
}

TEST_F(PatchTest, VerifyMismatchesAreRetriedThreeTimes) {
    const std::string kernel = PatternBytes(0x150000, 1);
    const int reads = 0x150000 / 8192;  // device reads of one verify
    struct Case {
        const char *corrupt;
        int result;
    } cases[] = {
        {"1=corrupt", 0},
        {"1=corrupt,169=corrupt", 0},
        {"1=corrupt,169=corrupt,337=corrupt", -1},
    };
    static_assert(0x150000 / 8192 == 168);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.corrupt);
        Start(kernel_);
        WriteImage("zImage", kernel);
        ASSERT_TRUE(PlanAndBackup());
        simtest::SetConf("fault_read", std::string("mtd1:") + c.corrupt);
        vorltest::SyslogCapture log;
        EXPECT_EQ(Patch(), c.result);
        int mismatches = 0;
        for (const std::string &line : log.Lines())
            if (line.find("compare file [/volume1/upd@te/zImage] vs [/dev/mtd1] error") !=
                std::string::npos)
                mismatches++;
        EXPECT_EQ(mismatches, c.result == 0 ? mismatches : 3);
        EXPECT_EQ(Snapshot().Count(kOpErase, 1),
                  static_cast<uint64_t>(mismatches + (c.result == 0)));
        if (c.result == 0) {
            ExpectPartition(1, "zImage", 0xFF840000, 0x200000, kernel);
        } else {
            EXPECT_TRUE(log.Contains("Try to Update [zImage] 3 counts failed ..."));
            EXPECT_EQ(Snapshot().Fis()[1], before_.Fis()[1]);
        }
    }
    (void)reads;
}

TEST_F(PatchTest, FailureOnALaterPartitionRollsEverythingBackByteForByte) {
    struct Case {
        const char *what;
        uint32_t kernelBytes, ramdiskBytes;
        const char *fault;
        const char *value;
    } cases[] = {
        {"ramdisk cannot be erased", 0x150000, 0x200000, "fault_erase", "mtd2:1-"},
        {"moved libraries cannot be written", 0x220000 - 100, 0x2C0000, "fault_write", "mtd3:1-"},
        {"the driver refuses the ramdisk's entry", 0x150000, 0x200000, "fault_setfis", "2"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Start(kernel_);
        WriteImage("zImage", PatternBytes(c.kernelBytes, 1));
        WriteImage("rd.bin", PatternBytes(c.ramdiskBytes, 2));
        ASSERT_TRUE(PlanAndBackup());
        simtest::SetConf(c.fault, c.value);
        EXPECT_EQ(Patch(), -1);
        EXPECT_FALSE(Snapshot().flash() == before_.flash());
        simtest::SetConf(c.fault, "");
        vorltest::SyslogCapture log;
        EXPECT_EQ(RollBack(), 0);
        EXPECT_EQ(gblRollBackFailed, 0);
        FlashSnapshot s = Snapshot();
        EXPECT_TRUE(s.flash() == before_.flash()) << "the flash differs after the roll-back";
        for (int mtd = 0; mtd < 8; mtd++) {
            EXPECT_EQ(s.Address(mtd), before_.Address(mtd)) << mtd;
            EXPECT_EQ(s.Size(mtd), before_.Size(mtd)) << mtd;
        }
        EXPECT_EQ(gCommands.back().substr(gCommands.back().size() - 9), "bs=131072");
        EXPECT_TRUE(log.Contains("skip recoverying [RedBoot]"));
    }
}

TEST_F(PatchTest, RollBackGoesOnAfterAPartitionFailsAndKeepsTheBackup) {
    Start(kernel_);
    WriteImage("zImage", PatternBytes(0x150000, 1));
    WriteImage("rd.bin", PatternBytes(0x200000, 2));
    ASSERT_TRUE(PlanAndBackup());
    simtest::SetConf("fault_write", "mtd2:1-");  // the ramdisk is erased, then fails
    ASSERT_EQ(Patch(), -1);
    simtest::SetConf("fault_write", "");
    simtest::SetConf("fault_setsize", "mtd1:1-");  // the kernel cannot be restored
    vorltest::SyslogCapture log;
    EXPECT_EQ(RollBack(), -1);
    EXPECT_EQ(gblRollBackFailed, 1);
    EXPECT_TRUE(Snapshot().Partition(2) == before_.Partition(2)) << "the ramdisk was not restored";
    EXPECT_TRUE(log.Contains("fail to recover [zImage]"));
    EXPECT_TRUE(
        log.Contains("roll-back incomplete, the old partitions are kept in "
                     "/volume1/upd@te/b@ckup"));
}

TEST_F(PatchTest, APlanWithNothingToUpdateWritesNothing) {
    Start(kernel_);
    ASSERT_TRUE(PlanAndBackup());
    gProgress.clear();
    ASSERT_EQ(Patch(), 0);
    EXPECT_TRUE(gProgress.empty());
    FlashSnapshot s = Snapshot();
    EXPECT_EQ(s.Count(kOpErase), 0u);
    EXPECT_EQ(s.Count(kOpSetFis), 0u);
    EXPECT_TRUE(s.flash() == before_.flash());
}

TEST_F(PatchTest, CopyAndVerifyHandleShortAndLongSources) {
    Start(kernel_);
    ASSERT_EQ(VORLMTDUnlockPartition("/dev/mtd1"), 0);
    ASSERT_EQ(VORLMTDErasePartition("/dev/mtd1"), 0);
    const std::string image = PatternBytes(50000, 3);
    WriteImage("short", image);
    const std::string path = std::string(kUpdateDir) + "/short";
    vorltest::SyslogCapture log;
    // An image shorter than the plan: the copy says so, the verify fails.
    EXPECT_EQ(UPDTCopyFile(path.c_str(), "/dev/mtd1", 60000, 16384), 0);
    EXPECT_TRUE(
        log.Contains("read file [/volume1/upd@te/short] only 50000 bytes, 60000 bytes "
                     "needed"));
    EXPECT_EQ(UPDTVerifyFile(path.c_str(), "/dev/mtd1", 60000, 8192), -1);
    EXPECT_EQ(UPDTVerifyFile(path.c_str(), "/dev/mtd1", 50000, 8192), 0);
    // A source longer than the plan: only the planned bytes are written.
    ASSERT_EQ(VORLMTDErasePartition("/dev/mtd1"), 0);
    EXPECT_EQ(UPDTCopyFile(path.c_str(), "/dev/mtd1", 20000, 16384), 0);
    EXPECT_TRUE(Snapshot().Partition(1) == Written(image.substr(0, 20000), 0x200000));
    EXPECT_EQ(UPDTVerifyFile(path.c_str(), "/dev/mtd1", 20000, 8192), 0);

    EXPECT_EQ(UPDTCopyFile(path.c_str(), "/dev/mtd1", 0, 16384), -1);
    EXPECT_EQ(UPDTCopyFile(path.c_str(), "/dev/mtd1", 100, 0), -1);
    EXPECT_EQ(UPDTVerifyFile("/volume1/none", "/dev/mtd1", 100, 8192), -1);
    EXPECT_TRUE(log.Contains("open [/volume1/none] error: (2) No such file or directory."));
}

TEST_F(PatchTest, RepairOfTheBuild284Directory) {
    SimKernel k = JuniorKernel();
    k.redboot->writeDirectory = false;
    FindPartition(k.redboot->partitions, "FIS Directory")->content = PatternBytes(3000, 9);
    Start(k, true);
    ASSERT_EQ(RecoverFISDirTable_K7GPlus_V284(), 0);
    FlashSnapshot s = Snapshot();
    const std::vector<FisEntry> expected = {
        {"RedBoot", 0xFFF00000, 0xFFF00000, 0x40000, 0, 0x3A448},
        {"zImage", 0xFFE00000, 0xFFE00000, 0xD0000, 0, 0xC5EDA},
        {"rd.gz", 0xFFF40000, 0xFFF40000, 0xB0000, 0, 0xAEE2C},
        {"vendor", 0xFFED0000, 0xFFED0000, 0x10000, 0, 0x10000},
        {"RedBoot Config", 0xFFEE0000, 0xFFEE0000, 0x10000, 0, 0x10000},
        {"FIS Directory", 0xFFFF0000, 0xFFFF0000, 0x10000, 0, 0x600},
    };
    EXPECT_EQ(s.Fis(), expected);
    EXPECT_TRUE(s.Partition(5) == Written(EncodeFisDirectory(expected), 0x10000));
    EXPECT_TRUE(s.Locked(5));
    for (int mtd = 0; mtd < 5; mtd++)
        EXPECT_EQ(s.Partition(mtd), before_.Partition(mtd));

    // A failed erase leaves the directory locked and fails.
    simtest::SetConf("fault_erase", "mtd5:1");
    vorltest::SyslogCapture log;
    EXPECT_EQ(RecoverFISDirTable_K7GPlus_V284(), -1);
    EXPECT_TRUE(log.Contains("VORLMTDErasePartition(/dev/mtd5) fail"));
    EXPECT_TRUE(Snapshot().Locked(5));
}

}  // namespace
