// The MTD device library over the simulated flash drivers: geometry, erase
// and locks over the whole partition, the FIS directory reader and the two
// vendor requests.
#include <mtd/mtd-user.h>
#include <string.h>

#include <vorl/err.h>
#include <vorl/mtd.h>

#include "sim_test_util.h"
#include "vorltest.h"

using namespace vorlsim;
using simtest::Snapshot;

namespace {

class MtdTest : public ::testing::Test {
protected:
    // The junior flash, every partition half full; the FIS directory
    // partition's content replaced when dir is given.
    void Install(const std::string *dir = nullptr) {
        k_.redboot = JuniorFlash();
        uint32_t seed = 1;
        for (Partition &p : k_.redboot->partitions)
            if (p.name != "FIS Directory") p.content = PatternBytes(p.length / 2, seed++);
        if (dir) {
            k_.redboot->writeDirectory = false;
            FindPartition(k_.redboot->partitions, "FIS Directory")->content = *dir;
        }
        simtest::Install(k_);
    }
    SimKernel k_;
};

TEST_F(MtdTest, DeviceInfoReportsTheGeometry) {
    Install();
    mtd_info_user info;
    memset(&info, 0xAA, sizeof info);
    ASSERT_EQ(VORLMTDGetDeviceInfo("/dev/mtd2", &info, sizeof info), 0);
    EXPECT_EQ(info.size, 0xB0000u);
    EXPECT_EQ(info.erasesize, 0x10000u);
    EXPECT_EQ(info.oobsize, 0u);  // the buffer was cleared first

    vorltest::SyslogCapture log;
    EXPECT_EQ(VORLMTDGetDeviceInfo("/dev/mtd2", &info, 31), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS));
    EXPECT_EQ(VORLMTDGetDeviceInfo(nullptr, &info, sizeof info), -1);
    EXPECT_EQ(VORLMTDGetDeviceInfo("/dev/mtd7", &info, sizeof info), -1);  // none on junior
    EXPECT_TRUE(log.Contains("VORLMTDGetDeviceInfo("));
    EXPECT_TRUE(log.Contains("): parameter error"));
    EXPECT_TRUE(log.Contains("): fail to open mtd device, errno = "));
}

TEST_F(MtdTest, EraseAndLocksCoverTheWholePartition) {
    Install();
    ASSERT_TRUE(Snapshot().Locked(2));
    ASSERT_EQ(VORLMTDUnlockPartition("/dev/mtd2"), 0);
    EXPECT_FALSE(Snapshot().AnyLocked(2));
    EXPECT_TRUE(Snapshot().Locked(1));  // the neighbours stay locked
    EXPECT_TRUE(Snapshot().Locked(5));
    ASSERT_EQ(VORLMTDErasePartition("/dev/mtd2"), 0);
    EXPECT_EQ(Snapshot().Partition(2), std::string(0xB0000, '\xFF'));
    EXPECT_EQ(Snapshot().Partition(0).substr(0, 0x20000),
              FindPartition(k_.redboot->partitions, "RedBoot")->content);
    ASSERT_EQ(VORLMTDLockPartition("/dev/mtd2"), 0);
    EXPECT_TRUE(Snapshot().Locked(2));

    vorltest::SyslogCapture log;
    EXPECT_EQ(VORLMTDErasePartition("/dev/mtd2"), -1);  // locked again
    EXPECT_TRUE(log.Contains("Could not erase MTD device: /dev/mtd2, errno = 30"));
    simtest::SetConf("fault_unlock", "1=fail");
    EXPECT_EQ(VORLMTDUnlockPartition("/dev/mtd2"), -1);
    EXPECT_TRUE(log.Contains("Could not lock/unlock MTD device: /dev/mtd2, errno = 5"));
    EXPECT_EQ(VORLMTDErasePartition(nullptr), -1);
    EXPECT_EQ(VORLMTDLockPartition("/dev/mtd6"), -1);
    EXPECT_TRUE(log.Contains("fail to open mtd device /dev/mtd6"));
}

TEST_F(MtdTest, PartitionInfoCountsAndCopiesTheDirectory) {
    Install();
    int cb = -1;
    ASSERT_EQ(VORLMTDGetPartitionInfo("/dev/mtd5", nullptr, 0, &cb), 6);
    EXPECT_EQ(cb, 6 * 256);
    std::vector<VORL_FIS_ENTRY> entries(6);
    ASSERT_EQ(VORLMTDGetPartitionInfo("/dev/mtd5", entries.data(), cb, &cb), 6);
    std::vector<FisEntry> expected = Snapshot().Fis();
    for (int i = 0; i < 6; i++) {
        EXPECT_EQ(std::string(entries[i].szName), expected[i].name);
        EXPECT_EQ(entries[i].ulFlashBase, expected[i].flashBase);
        EXPECT_EQ(entries[i].ulLength, expected[i].length);
        EXPECT_EQ(entries[i].ulDataLength, expected[i].dataLength);
    }
}

TEST_F(MtdTest, PartitionInfoEdgeCases) {
    FisEntry e{"zImage", 0xFFE00000, 0xFFE00000, 0x10000, 0, 0x100};
    const std::string two = EncodeFisDirectory({e, e});
    struct Case {
        const char *what;
        std::string dir;  // the FIS directory partition's bytes (rest erased)
        int cbBuffer;     // -1: count only
        int result;
        int cbEntries;       // expected *pcbEntries when result >= 0
        const char *logged;  // expected log text, or ""
    } cases[] = {
        {"erased first entry", "", -1, 0, 0, ""},
        {"two entries, exact buffer", two, 512, 2, 512, ""},
        {"buffer one entry short", two, 511, -1, 0, "): not enough memory"},
        {"no erased entry before the end", std::string(0x10000, 'A'), -1, -1, 0,
         "): failed to read from /dev/mtd5(errno = 0)"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Install(&c.dir);
        vorltest::SyslogCapture log;
        std::vector<char> buf(c.cbBuffer > 0 ? c.cbBuffer : 1);
        int cb = 12345;
        int r = VORLMTDGetPartitionInfo("/dev/mtd5", c.cbBuffer < 0 ? nullptr : buf.data(),
                                        c.cbBuffer < 0 ? 0 : c.cbBuffer, &cb);
        EXPECT_EQ(r, c.result);
        if (c.result >= 0) {
            EXPECT_EQ(cb, c.cbEntries);
        }
        if (*c.logged) {
            EXPECT_TRUE(log.Contains(c.logged));
        }
    }
    int cb;
    char one;
    EXPECT_EQ(VORLMTDGetPartitionInfo("/dev/mtd5", nullptr, 0, nullptr), -1);
    EXPECT_EQ(VORLMTDGetPartitionInfo("/dev/mtd5", &one, 0, &cb), -1);
}

TEST_F(MtdTest, VendorRequestsReachTheDriver) {
    Install();
    ASSERT_EQ(VORLMTDModifyPartitionSize("/dev/mtd2", 0xFFF60000, 0x90000), 0);
    EXPECT_EQ(Snapshot().Address(2), 0xFFF60000u);
    EXPECT_EQ(Snapshot().Size(2), 0x90000u);
    VORL_MTD_FIS_RECORD rec{"rd.gz", 0xFFF60000, 0x90000, 0x4321};
    ASSERT_EQ(VORLMTDModifyFISEntry("/dev/mtd5", &rec), 0);
    FisEntry rd = Snapshot().Fis()[2];
    EXPECT_EQ(rd.flashBase, 0xFFF60000u);
    EXPECT_EQ(rd.length, 0x90000u);
    EXPECT_EQ(rd.dataLength, 0x4321u);

    vorltest::SyslogCapture log;
    EXPECT_EQ(VORLMTDModifyPartitionSize("/dev/mtd2", 0xFFF60000, 0xB0000), -1);  // past the end
    EXPECT_TRUE(log.Contains("Failed to set the mtd info of /dev/mtd2 by ioctl, errno = 22"));
    simtest::SetConf("fault_setfis", "1");
    EXPECT_EQ(VORLMTDModifyFISEntry("/dev/mtd5", &rec), -1);
    EXPECT_TRUE(log.Contains(
        "VORLMTDModifyFISEntry: Failed to set the mtd info of /dev/mtd5 by ioctl, errno = 5"));
    EXPECT_EQ(VORLMTDModifyFISEntry("/dev/mtd5", nullptr), -1);
}

}  // namespace
