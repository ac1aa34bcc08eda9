// The patch plan: rows from the FIS directory and the image files, the
// balancing of partition sizes, and the layout check that follows it.
#include "flash_test_support.h"
#include "vorltest.h"

using namespace vorlsim;
using namespace flashtest;

namespace {

constexpr uint32_t kBlock = 0x10000;

class PlanTest : public ::testing::Test {
protected:
    void SetUp() override {
        simtest::Install(FullKernel());
        ResetRun(false);
    }
    int Plan() {
        entries_ = ReadEntries();
        return UPDTInitPatchInfo(entries_.data(), static_cast<int>(entries_.size()));
    }
    std::vector<VORL_FIS_ENTRY> entries_;
};

TEST_F(PlanTest, RowsComeFromTheDirectoryAndTheImages) {
    struct Case {
        const char *what;
        int64_t image;  // bytes of "zImage"; -1: absent
        uint32_t datalen;
        int32_t balance;
        int32_t fneedupdate;
    } cases[] = {
        {"exactly the partition", 0x200000, 0x200000, 0, 1},
        {"one byte more", 0x200001, 0x200001, -1, 1},
        {"one block", 1, 1, 31, 1},
        {"absent: the current data", -1, 0x100000, 16, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ResetRun(false);
        if (c.image >= 0) WriteImage("zImage", PatternBytes(c.image, 1));
        ASSERT_EQ(Plan(), 0);
        EXPECT_EQ(gEraseBlockSize, kBlock);
        const PATCHINFO &z = Row("zImage");
        EXPECT_EQ(z.start, 0xFF840000u);
        EXPECT_EQ(z.size, 0x200000u);
        EXPECT_EQ(z.datalen, c.datalen);
        EXPECT_EQ(z.balance, c.balance);
        EXPECT_EQ(z.fneedupdate, c.fneedupdate);
        EXPECT_EQ(z.delta, 0);
        EXPECT_EQ(Row("rd.gz").fneedupdate, 0);
    }
}

TEST_F(PlanTest, PlanLargerThanTheFlashFails) {
    // The span from the kernel to the end of the FIS directory holds 124
    // blocks; the other partitions' data takes 46 of them.
    WriteImage("zImage", PatternBytes(78 * kBlock, 1));
    EXPECT_EQ(Plan(), 0);
    WriteImage("zImage", PatternBytes(78 * kBlock + 1, 1));
    vorltest::SyslogCapture log;
    EXPECT_EQ(Plan(), -1);
    EXPECT_TRUE(log.Contains("the binary size exceeds flash size limit(total = 125)"));
}

TEST_F(PlanTest, PlanNeedsTheDirectoryEntriesAndTheDevice) {
    vorltest::SyslogCapture log;
    EXPECT_EQ(UPDTInitPatchInfo(nullptr, 3), -1);
    entries_ = ReadEntries();
    // A directory without the ramdisk's entry.
    entries_.erase(entries_.begin() + 2);
    EXPECT_EQ(UPDTInitPatchInfo(entries_.data(), static_cast<int>(entries_.size())), -1);
    EXPECT_TRUE(log.Contains("get idx of partition 2 [rd.gz] fail"));
    // Without the FIS directory's device, no erase block size.
    gPartitionDevice[7].device = "/dev/mtd9";
    EXPECT_EQ(Plan(), -1);
    EXPECT_TRUE(log.Contains("fail to get device info"));
}

TEST(Balance, DonorsAndLayout) {
    gEraseBlockSize = kBlock;
    struct In {
        const char *name;
        uint32_t start, size;
        int32_t balance, fneedupdate;
    };
    struct Out {
        uint32_t start, size;
        int32_t delta, fneedupdate;
    };
    struct Case {
        const char *what;
        std::vector<In> rows;
        int result;
        std::vector<Out> expect;  // per row
    } cases[] = {
        {"kernel grows by 2, ramdisk gives, libraries stay",
         {{"RedBoot", 0, 4, 1, 0},
          {"zImage", 4, 32, -2, 1},
          {"rd.gz", 36, 48, 32, 1},
          {"AllLib.tgz", 84, 40, 24, 0},
          {"vendor", 124, 1, 0, 0}},
         0,
         {{0, 4, 0, 0}, {4, 34, 2, 1}, {38, 46, -2, 1}, {84, 40, 0, 0}, {124, 1, 0, 0}}},
        {"kernel grows by 2, libraries give: the ramdisk moves",
         {{"RedBoot", 0, 4, 1, 0},
          {"zImage", 4, 32, -2, 1},
          {"rd.gz", 36, 48, 4, 1},
          {"AllLib.tgz", 84, 40, 24, 0},
          {"vendor", 124, 1, 0, 0}},
         0,
         {{0, 4, 0, 0}, {4, 34, 2, 1}, {38, 48, 0, 1}, {86, 38, -2, 1}, {124, 1, 0, 0}}},
        {"equal balances: the earlier row gives",
         {{"zImage", 0, 10, -1, 1}, {"rd.gz", 10, 10, 5, 0}, {"AllLib.tgz", 20, 10, 5, 0}},
         0,
         {{0, 11, 1, 1}, {11, 9, -1, 1}, {20, 10, 0, 0}}},
        {"fixed partitions never give",
         {{"zImage", 0, 10, -1, 1}, {"vendor", 10, 10, 9, 0}, {"rd.gz", 20, 2, 0, 0}},
         -1,
         {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        PATCHINFO rows[UPDT_MAX_PATCHINFO] = {};
        for (size_t i = 0; i < c.rows.size(); i++)
            rows[i] = {c.rows[i].name,    "f", c.rows[i].start * kBlock, 0, c.rows[i].size * kBlock,
                       c.rows[i].balance, 0,   c.rows[i].fneedupdate};
        EXPECT_EQ(UPDTHasNegativeBalance(rows, static_cast<int>(c.rows.size())), 1);
        vorltest::SyslogCapture log;
        ASSERT_EQ(ErrUPDTAdjustPartitionSize(rows, static_cast<int>(c.rows.size())), c.result);
        if (c.result < 0) {
            EXPECT_TRUE(log.Contains("): negative balance"));
            continue;
        }
        EXPECT_EQ(UPDTHasNegativeBalance(rows, static_cast<int>(c.rows.size())), 0);
        for (size_t i = 0; i < c.expect.size(); i++) {
            SCOPED_TRACE(c.rows[i].name);
            EXPECT_EQ(rows[i].start, c.expect[i].start * kBlock);
            EXPECT_EQ(rows[i].size, c.expect[i].size * kBlock);
            EXPECT_EQ(rows[i].delta, c.expect[i].delta);
            EXPECT_EQ(rows[i].fneedupdate, c.expect[i].fneedupdate);
        }
    }
}

TEST(Balance, LayoutCheckFindsOverlapsAndEscapes) {
    gEraseBlockSize = kBlock;
    auto entry = [](const char *name, uint32_t start, uint32_t size) {
        VORL_FIS_ENTRY e{};
        snprintf(e.szName, sizeof e.szName, "%s", name);
        e.ulFlashBase = start * kBlock;
        e.ulLength = size * kBlock;
        return e;
    };
    // A directory spanning blocks 0-40, with an entry the plan does not name.
    const VORL_FIS_ENTRY dir[] = {entry("zImage", 0, 10), entry("rd.gz", 10, 10),
                                  entry("spare", 20, 10), entry("FIS Directory", 39, 1)};
    struct Case {
        const char *what;
        uint32_t rdStart, rdSize;
        int result;
    } cases[] = {
        {"as before", 10, 10, 0},      {"into the unplanned partition", 11, 10, -1},
        {"onto the kernel", 9, 1, -1}, {"past the end of the flash", 35, 6, -1},
        {"in the gap", 30, 9, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        PATCHINFO rows[UPDT_MAX_PATCHINFO] = {
            {"zImage", "zImage", 0, 0, 10 * kBlock, 0, 0, 1},
            {"rd.gz", "rd.bin", c.rdStart * kBlock, 0, c.rdSize * kBlock, 0, 0, 1},
            {"FIS Directory", "FIS Directory", 39 * kBlock, 0, kBlock, 0, 0, 0}};
        EXPECT_EQ(UPDTCheckPlanLayout(rows, 3, dir, 4), c.result);
    }
}

TEST(Layout, NamesDevicesAndFixedPartitions) {
    ResetRun(true);
    EXPECT_STREQ(SzUPDTGetDeviceByName("vendor"), "/dev/mtd3");
    EXPECT_STREQ(SzUPDTGetDeviceByName("FIS Directory"), "/dev/mtd5");
    vorltest::SyslogCapture log;
    EXPECT_EQ(SzUPDTGetDeviceByName("AllLib.tgz"), nullptr);  // not on the junior
    EXPECT_TRUE(log.Contains("unknown partition name [AllLib.tgz]"));
    EXPECT_EQ(SzUPDTGetDeviceByName(nullptr), nullptr);
    ResetRun(false);
    EXPECT_STREQ(SzUPDTGetDeviceByName("AllLib.tgz"), "/dev/mtd3");

    VORL_FIS_ENTRY e[2] = {};
    memcpy(e[0].szName, "zImage", 6);
    memcpy(e[1].szName, "RedBoot Config12", 16);  // a full field without its NUL
    EXPECT_EQ(GetIdxByName("zImage", e, 2), 0);
    EXPECT_EQ(GetIdxByName("RedBoot Config12", e, 2), 1);
    EXPECT_EQ(GetIdxByName("RedBoot Config", e, 2), -1);
    EXPECT_EQ(GetIdxByName("zImag", e, 2), -1);
    EXPECT_EQ(GetIdxByName(nullptr, e, 2), -1);

    for (const char *fixed : {"vorlcfg", "vendor", "RedBoot Config", "FIS Directory"})
        EXPECT_EQ(UPDTIsFixedPartition(fixed), 1) << fixed;
    for (const char *moving : {"RedBoot", "zImage", "rd.gz", "AllLib.tgz", "Vendor", ""})
        EXPECT_EQ(UPDTIsFixedPartition(moving), 0) << moving;
}

}  // namespace
