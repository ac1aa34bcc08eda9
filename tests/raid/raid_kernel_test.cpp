// The RAID status over the md driver's requests (played by the kernel shim,
// which this program preloads).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <vorl/err.h>
#include <vorl/raid.h>

#include "flashimage.h"

namespace {

using vorlsim::MdArray;

void Install(const std::vector<MdArray> &arrays) {
    vorlsim::SimKernel k;
    k.arrays = arrays;
    std::string error;
    ASSERT_TRUE(vorlsim::InstallKernel("", k, &error)) << error;
}

MdArray Array(int number, int level, int raidDisks, std::vector<vorlsim::MdMember> members) {
    MdArray a;
    a.number = number;
    a.level = level;
    a.raidDisks = raidDisks;
    a.sizeKib = 1000000;
    a.bytes = 1000000ull * 1024 + 512;  // the block device is a little larger
    a.members = std::move(members);
    return a;
}

}  // namespace

TEST(RaidInfo, ArrayAndMembersFromTheDriver) {
    MdArray a = Array(0, 1, 2, {{"sda1", "in_sync", "0"}, {"sdb1", "faulty", "1"}});
    a.rebuild[0] = 1;
    a.rebuild[1] = 40;
    a.rebuild[2] = 100;
    Install({a});

    VORLRAIDINFO *info = nullptr;
    ASSERT_EQ(VORLRaidInfoGet("/dev/md0", &info), 1);
    EXPECT_EQ(info->nMdNumber, 0);
    EXPECT_STREQ(info->szPath, "/dev/md0");
    EXPECT_EQ(info->raidType, RAID_TYPE_RAID1);
    EXPECT_EQ(info->status, RAID_STATUS_DEGRADED);
    EXPECT_EQ(info->ullSize, 1000000ull * 1024 + 512);
    EXPECT_EQ(info->ullMdSize, 1000000ull * 1024);
    EXPECT_EQ(info->nRaidDisks, 2);
    EXPECT_EQ(info->rebuild[0], 1);
    EXPECT_EQ(info->rebuild[1], 40);
    EXPECT_EQ(info->rebuild[2], 100);
    std::vector<std::string> members;
    for (VORLRAIDDISK *d = info->pDisks; d; d = d->pNext)
        members.push_back(d->szPath);
    std::sort(members.begin(), members.end());
    EXPECT_EQ(members, (std::vector<std::string>{"/dev/sda1", "/dev/sdb1"}));
    EXPECT_EQ(info->nFirstDisk, -1);  // "sda1": not two letters after /dev/sd
    VORLRaidInfoFree(info);
}

TEST(RaidInfo, RebuildStateAndFirstDisk) {
    struct Case {
        int a, b, c;
        int state, p1, p2;
    } cases[] = {{0, 5, 6, 0, 0, 0}, {1, 0, 6, 2, 0, 0}, {3, 5, 6, 1, 5, 6}};
    for (const Case &c : cases) {
        MdArray a = Array(2, 5, 3, {{"sdcb", "in_sync", "0"}});
        a.rebuild[0] = c.a;
        a.rebuild[1] = c.b;
        a.rebuild[2] = c.c;
        Install({a});
        VORLRAIDINFO *info = nullptr;
        ASSERT_EQ(VORLRaidInfoGet("/dev/md2", &info), 1);
        EXPECT_EQ(info->rebuild[0], c.state) << c.a << "," << c.b;
        EXPECT_EQ(info->rebuild[1], c.p1);
        EXPECT_EQ(info->rebuild[2], c.p2);
        EXPECT_EQ(info->nFirstDisk, 2);  // "/dev/sdcb": 'c' - 'a'
        EXPECT_EQ(info->raidType, RAID_TYPE_RAID5);
        EXPECT_EQ(info->status, RAID_STATUS_CRASHED);  // 1 of 3 slots in sync
        VORLRaidInfoFree(info);
    }
}

TEST(RaidInfo, UnsupportedLevelKeepsItsSize) {
    Install({Array(
        1, 4, 3, {{"sda2", "in_sync", "0"}, {"sdb2", "in_sync", "1"}, {"sdc2", "in_sync", "2"}})});
    VORLRAIDINFO *info = nullptr;
    ASSERT_EQ(VORLRaidInfoGet("/dev/md1", &info), 1);
    EXPECT_EQ(info->raidType, RAID_TYPE_UNSUPPORTED);
    EXPECT_EQ(info->ullSize, 1000000ull * 1024 + 512);
    EXPECT_EQ(info->status, RAID_STATUS_NORMAL);
    VORLRaidInfoFree(info);
}

TEST(RaidInfo, ArrayUnknownToTheDriverAnswersZero) {
    MdArray unknown = Array(3, 1, 2, {});
    unknown.known = false;
    Install({unknown});
    VORLRAIDINFO *info = nullptr;
    EXPECT_EQ(VORLRaidInfoGet("/dev/md3", &info), 0);
    EXPECT_EQ(VLIBErrGet(), (unsigned)ERR_RAID_NO_ARRAY);
    EXPECT_EQ(info, nullptr);
}
