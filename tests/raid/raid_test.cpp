#include <glob.h>
#include <stdlib.h>
#include <string.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <vorl/err.h>
#include <vorl/raid.h>

#include "raid/raid_internal.h"
#include "vorltest.h"

using vorltest::WriteFile;

namespace {

// A member entry under /sys/block/mdN/md with its state (and slot) file.
std::string Member(int md, const std::string &dev, const std::string &state,
                   const char *slot = nullptr) {
    std::string dir = "/sys/block/md" + std::to_string(md) + "/md/dev-" + dev;
    WriteFile(dir + "/state", state);
    if (slot) WriteFile(dir + "/slot", slot);
    return dir;
}

int DiskStatus(const std::string &entry) {
    VORLRAIDDISK *disk = nullptr;
    EXPECT_EQ(VORLRaidDiskCreate(entry.c_str(), &disk), 0) << entry;
    int status = disk ? disk->status : -1;
    free(disk);
    return status;
}

struct Members {
    VORLRAIDDISK *list = nullptr;
    ~Members() { RaidDiskListFree(list); }
    void Add(int status) {
        auto *d = static_cast<VORLRAIDDISK *>(calloc(1, sizeof(VORLRAIDDISK)));
        d->status = status;
        RaidDiskListPush(&list, d);
    }
};

}  // namespace

TEST(RaidStatus, SummaryFollowsTheLevelsTolerance) {
    const int S = RAID_DISK_IN_SYNC, F = RAID_DISK_FAULTY, E = RAID_DISK_ERROR,
              R = RAID_DISK_SPARE_REBUILDING;
    struct Case {
        int level, raidDisks;
        std::vector<int> members;
        int want;
    } cases[] = {
        {1, 2, {S, S}, RAID_STATUS_NORMAL},
        {1, 2, {S, F}, RAID_STATUS_DEGRADED},
        {1, 2, {F, F}, RAID_STATUS_CRASHED},
        {1, 2, {S}, RAID_STATUS_DEGRADED},  // a member gone altogether
        {5, 4, {S, S, S, S}, RAID_STATUS_NORMAL},
        {5, 4, {S, S, S, R}, RAID_STATUS_DEGRADED},
        {5, 4, {S, S, F, F}, RAID_STATUS_CRASHED},
        {6, 4, {S, S, F, F}, RAID_STATUS_DEGRADED},
        {6, 4, {S, F, F, F}, RAID_STATUS_CRASHED},
        {0, 2, {S, S}, RAID_STATUS_NORMAL},
        {0, 2, {S, R}, RAID_STATUS_CRASHED},
        {-1, 2, {S, F}, RAID_STATUS_CRASHED},
        {1, 2, {S, E}, RAID_STATUS_CRASHED},  // "error" crashes any level
        {6, 4, {S, S, S, E}, RAID_STATUS_CRASHED},
        {1, 2, {}, RAID_STATUS_CRASHED},
    };
    for (const Case &c : cases) {
        Members m;
        for (int s : c.members)
            m.Add(s);
        int32_t status = 0;
        ASSERT_EQ(RaidDecideStatus(c.level, c.raidDisks, m.list, &status), 0);
        EXPECT_EQ(status, c.want) << "level " << c.level << ", " << c.members.size()
                                  << " members of " << c.raidDisks;
    }
}

TEST(RaidStatus, MemberStateFromSysfs) {
    EXPECT_EQ(DiskStatus(Member(0, "sda1", "in_sync\n")), RAID_DISK_IN_SYNC);
    EXPECT_EQ(DiskStatus(Member(0, "sdb1", "faulty\n")), RAID_DISK_FAULTY);
    EXPECT_EQ(DiskStatus(Member(0, "sdc1", "write_error,faulty\n")), RAID_DISK_FAULTY);
    EXPECT_EQ(DiskStatus(Member(0, "sdd1", "write_error\n")), RAID_DISK_ERROR);
    EXPECT_EQ(DiskStatus(Member(0, "sde1", "spare\n", "none\n")), RAID_DISK_SPARE_IDLE);
    EXPECT_EQ(DiskStatus(Member(0, "sdf1", "spare\n", "2\n")), RAID_DISK_SPARE_REBUILDING);
    EXPECT_EQ(DiskStatus(Member(0, "sdg1", "in_sync,spare\n", "none\n")), RAID_DISK_IN_SYNC);
    EXPECT_EQ(DiskStatus(Member(0, "sdh1", "blocked\n")), RAID_DISK_IN_SYNC);

    VORLRAIDDISK *disk = nullptr;
    ASSERT_EQ(VORLRaidDiskCreate(Member(0, "sdk2", "in_sync\n").c_str(), &disk), 0);
    EXPECT_STREQ(disk->szPath, "/dev/sdk2");
    free(disk);
}

TEST(RaidStatus, BrokenMemberEntriesFail) {
    VORLRAIDDISK *disk = nullptr;
    std::string empty = Member(0, "sda1", "");
    EXPECT_EQ(VORLRaidDiskCreate(empty.c_str(), &disk), -1);
    EXPECT_EQ(VLIBErrGet(), (unsigned)ERR_READ_FAILED);
    EXPECT_EQ(VORLRaidDiskCreate("/sys/block/md0/md/dev-none", &disk), -1);
    EXPECT_EQ(VLIBErrGet(), (unsigned)ERR_OPEN_FAILED);
    WriteFile("/sys/block/md0/md/rd0/state", "in_sync\n");
    EXPECT_EQ(VORLRaidDiskCreate("/sys/block/md0/md/rd0", &disk), -1);
    EXPECT_EQ(VLIBErrGet(), (unsigned)ERR_RAID_DISK_ENTRY);
    EXPECT_EQ(disk, nullptr);
}

TEST(RaidStatus, MemberListIsTheReverseOfTheSysfsOrder) {
    for (const char *dev : {"sda3", "sdb3", "sdc3", "sdd3"})
        Member(2, dev, "in_sync\n");
    glob_t g{};
    ASSERT_EQ(glob("/sys/block/md2/md/dev-*", GLOB_NOSORT, nullptr, &g), 0);
    std::vector<std::string> found;
    for (size_t i = 0; i < g.gl_pathc; ++i) {
        found.push_back("/dev/" + std::string(strstr(g.gl_pathv[i], "dev-") + 4));
    }
    globfree(&g);

    VORLRAIDDISK *list = nullptr;
    ASSERT_EQ(VORLRaidDiskListGet("/dev/md2", &list), 0);
    std::vector<std::string> got;
    for (VORLRAIDDISK *p = list; p; p = p->pNext)
        got.push_back(p->szPath);
    RaidDiskListFree(list);
    EXPECT_EQ(got, std::vector<std::string>(found.rbegin(), found.rend()));

    // No member entry at all is an empty list, not a failure.
    list = nullptr;
    EXPECT_EQ(VORLRaidDiskListGet("/dev/md9", &list), 0);
    EXPECT_EQ(list, nullptr);

    // One unreadable member fails the whole list and hands nothing out.
    Member(3, "sda4", "in_sync\n");
    Member(3, "sdb4", "");
    EXPECT_EQ(VORLRaidDiskListGet("/dev/md3", &list), -1);
    EXPECT_EQ(list, nullptr);
}

TEST(RaidStatus, PathsThatAreNoArrayAreRefused) {
    VORLRAIDINFO *info = nullptr;
    for (const char *path : {"/dev/md", "/dev/sda", "md0", ""}) {
        EXPECT_EQ(VORLRaidInfoGet(path, &info), -1) << path;
        EXPECT_EQ(VLIBErrGet(), (unsigned)ERR_RAID_BAD_PATH) << path;
    }
    EXPECT_EQ(VORLRaidInfoGet(nullptr, &info), -1);
    EXPECT_EQ(VLIBErrGet(), (unsigned)ERR_BAD_PARAMETERS);
    EXPECT_EQ(VORLRaidInfoGet("/dev/md0", nullptr), -1);
    EXPECT_EQ(VLIBErrGet(), (unsigned)ERR_BAD_PARAMETERS);
    EXPECT_EQ(VORLRaidInfoGet("/dev/md7", &info), -1);  // no such device node
    EXPECT_EQ(VLIBErrGet(), (unsigned)ERR_OPEN_FAILED);
    EXPECT_EQ(info, nullptr);
    VORLRAIDDISK *list = nullptr;
    EXPECT_EQ(VORLRaidDiskListGet("/dev/hda1", &list), -1);
    EXPECT_EQ(VLIBErrGet(), (unsigned)ERR_RAID_BAD_PATH);
}
