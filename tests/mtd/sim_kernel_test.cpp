// The simulated appliance kernel (libvorlshim.so): MTD devices over the flash
// file with NOR rules and locks, the vendor requests, children that share the
// devices, fault injection, the msys requests, the vendor system calls,
// sysinfo, statfs and the md requests.
#include <errno.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <linux/major.h>
#include <linux/raid/md_u.h>
#include <mtd/mtd-user.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <sys/sysinfo.h>
#include <unistd.h>

#include <vorl/mtd.h>

#include "sim_test_util.h"
#include "vorltest.h"

using namespace vorlsim;
using simtest::RunProgram;
using simtest::Snapshot;
using simtest::Written;

namespace {

struct IoctlResult {
    int ret;
    int err;
};

IoctlResult Ioctl(const std::string &dev, unsigned long request, void *arg) {
    int fd = open(dev.c_str(), O_RDWR);
    if (fd < 0) return {-1, errno};
    int r = ioctl(fd, request, arg);
    int e = errno;
    close(fd);
    return {r, r == 0 ? 0 : e};
}

IoctlResult Range(const std::string &dev, unsigned long request, uint32_t start, uint32_t len) {
    erase_info_user ei{start, len};
    return Ioctl(dev, request, &ei);
}

// Writes at an offset; answers the result and errno.
IoctlResult WriteAt(const std::string &dev, off_t at, const std::string &data) {
    int fd = open(dev.c_str(), O_WRONLY);
    if (fd < 0) return {-1, errno};
    ssize_t r = pwrite(fd, data.data(), data.size(), at);
    int e = errno;
    close(fd);
    return {static_cast<int>(r), r < 0 ? e : 0};
}

std::string ReadAll(const std::string &dev, size_t chunk = 4096) {
    int fd = open(dev.c_str(), O_RDONLY);
    if (fd < 0) return "<open failed>";
    std::string out;
    std::string buf(chunk, '\0');
    ssize_t n;
    while ((n = read(fd, buf.data(), buf.size())) > 0)
        out.append(buf.data(), n);
    close(fd);
    return n < 0 ? "<read failed>" : out;
}

class SimKernelTest : public ::testing::Test {
protected:
    void SetUp() override {
        k_.redboot = JuniorFlash();
        for (size_t i = 0; i < k_.redboot->partitions.size(); i++) {
            Partition &p = k_.redboot->partitions[i];
            if (p.name != "FIS Directory") p.content = PatternBytes(p.length / 2 + 100, i + 1);
        }
        simtest::Install(k_);
    }
    const std::string &Content(const std::string &name) {
        return FindPartition(k_.redboot->partitions, name)->content;
    }
    SimKernel k_;
};

TEST_F(SimKernelTest, DevicesShowTheirWindowsAndTheFisDirectory) {
    mtd_info_user info{};
    ASSERT_EQ(Ioctl("/dev/mtd1", MEMGETINFO, &info).ret, 0);
    EXPECT_EQ(info.size, 0xD0000u);
    EXPECT_EQ(info.erasesize, 0x10000u);
    EXPECT_EQ(ReadAll("/dev/mtd1"), Written(Content("zImage"), 0xD0000));
    EXPECT_EQ(ReadAll("/dev/mtd0", 100000), Written(Content("RedBoot"), 0x40000));

    int fd = open("/dev/mtd2", O_RDONLY);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(lseek(fd, 0, SEEK_END), 0xB0000);
    char c;
    EXPECT_EQ(read(fd, &c, 1), 0);
    close(fd);

    std::vector<FisEntry> dir = DecodeFisDirectory(ReadAll("/dev/mtd5"));
    ASSERT_EQ(dir.size(), 6u);
    EXPECT_EQ(dir[1].name, "zImage");
    EXPECT_EQ(dir[1].flashBase, 0xFFE00000u);
    EXPECT_EQ(dir[1].dataLength, Content("zImage").size());
    EXPECT_EQ(dir, Snapshot().Fis());
}

TEST_F(SimKernelTest, WritesOnlyClearBitsAndEraseSetsWholeBlocks) {
    ASSERT_EQ(Range("/dev/mtd1", MEMUNLOCK, 0, 0xD0000).ret, 0);
    std::string before = Content("zImage").substr(0, 4);
    ASSERT_EQ(WriteAt("/dev/mtd1", 0, "\x0F\x0F\xF0\xF0").ret, 4);
    std::string now = Snapshot().Partition(1).substr(0, 4);
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(static_cast<uint8_t>(now[i]),
                  static_cast<uint8_t>(before[i]) & (i < 2 ? 0x0F : 0xF0));

    EXPECT_EQ(Range("/dev/mtd1", MEMERASE, 0x100, 0x10000).err, EINVAL);  // unaligned
    EXPECT_EQ(Range("/dev/mtd1", MEMERASE, 0, 0xE0000).err, EINVAL);      // past the end
    ASSERT_EQ(Range("/dev/mtd1", MEMERASE, 0x10000, 0x10000).ret, 0);
    std::string p = Snapshot().Partition(1);
    EXPECT_EQ(p.substr(0x10000, 0x10000), std::string(0x10000, '\xFF'));
    EXPECT_EQ(p.substr(0, 0x10000).substr(4), Content("zImage").substr(4, 0x10000 - 4));
    ASSERT_EQ(WriteAt("/dev/mtd1", 0x10000, "new data").ret, 8);
    EXPECT_EQ(Snapshot().Partition(1).substr(0x10000, 8), "new data");
    // The other partitions are untouched.
    EXPECT_EQ(Snapshot().Partition(2), Written(Content("rd.gz"), 0xB0000));
}

TEST_F(SimKernelTest, LockedEraseBlocksRefuseEraseAndWrite) {
    EXPECT_EQ(WriteAt("/dev/mtd1", 0, "x").err, EROFS);
    EXPECT_EQ(Range("/dev/mtd1", MEMERASE, 0, 0xD0000).err, EROFS);
    ASSERT_EQ(Range("/dev/mtd1", MEMUNLOCK, 0, 0xD0000).ret, 0);
    EXPECT_FALSE(Snapshot().AnyLocked(1));
    EXPECT_TRUE(Snapshot().Locked(3));
    EXPECT_EQ(Range("/dev/mtd1", MEMERASE, 0, 0xD0000).ret, 0);
    // Locks belong to the chip's blocks: a window moved over the locked
    // vendor partition cannot erase it.
    uint32_t grow[2] = {0xFFE00000, 0xE0000};
    ASSERT_EQ(Ioctl("/dev/mtd1", VORL_MTD_SET_PARTITION_SIZE, grow).ret, 0);
    EXPECT_EQ(Range("/dev/mtd1", MEMERASE, 0, 0xE0000).err, EROFS);
    EXPECT_EQ(Snapshot().Partition(3), Written(Content("vendor"), 0x10000));
    ASSERT_EQ(Range("/dev/mtd1", MEMLOCK, 0, 0x10000).ret, 0);
    EXPECT_EQ(WriteAt("/dev/mtd1", 0, "x").err, EROFS);
}

TEST_F(SimKernelTest, ChildProcessesShareDevicesAndState) {
    ASSERT_EQ(Range("/dev/mtd2", MEMUNLOCK, 0, 0xB0000).ret, 0);
    ASSERT_EQ(Range("/dev/mtd2", MEMERASE, 0, 0xB0000).ret, 0);
    std::string image = PatternBytes(0x54321, 77);
    vorltest::WriteFile("/tmp/rd.bin", image);
    ASSERT_EQ(RunProgram({"/bin/dd", "if=/tmp/rd.bin", "of=/dev/mtd2", "bs=16384"}), 0);
    EXPECT_EQ(Snapshot().Partition(2), Written(image, 0xB0000));
    EXPECT_EQ(Snapshot().Count(kOpWrite, 2), (0x54321 + 16383) / 16384);

    // The window moved by the parent is the one the child reads.
    uint32_t moved[2] = {0xFFF60000, 0x90000};
    ASSERT_EQ(Ioctl("/dev/mtd2", VORL_MTD_SET_PARTITION_SIZE, moved).ret, 0);
    ASSERT_EQ(RunProgram({"/bin/dd", "if=/dev/mtd2", "of=/tmp/back", "bs=131072"}), 0);
    EXPECT_EQ(vorltest::ReadFile("/tmp/back"), Snapshot().Partition(2));
    EXPECT_EQ(vorltest::ReadFile("/tmp/back").size(), 0x90000u);

    // An image larger than the partition does not fit.
    vorltest::WriteFile("/tmp/big", PatternBytes(0x90001, 5));
    ASSERT_EQ(Range("/dev/mtd2", MEMUNLOCK, 0, 0x90000).ret, 0);
    ASSERT_EQ(Range("/dev/mtd2", MEMERASE, 0, 0x90000).ret, 0);
    EXPECT_NE(RunProgram({"/bin/dd", "if=/tmp/big", "of=/dev/mtd2", "bs=16384"}), 0);
}

TEST_F(SimKernelTest, VendorRequestsChangeWindowsAndFisEntries) {
    uint32_t moved[2] = {0xFFF60000, 0x90000};
    ASSERT_EQ(Ioctl("/dev/mtd2", VORL_MTD_SET_PARTITION_SIZE, moved).ret, 0);
    FlashSnapshot s = Snapshot();
    EXPECT_EQ(s.Address(2), 0xFFF60000u);
    EXPECT_EQ(s.Size(2), 0x90000u);
    EXPECT_EQ(s.Fis()[2].flashBase, 0xFFF40000u);  // the directory is another matter

    uint32_t outside[2] = {0xFFF60000, 0xB0000};
    uint32_t below[2] = {0xFFD00000, 0x10000};
    uint32_t unaligned[2] = {0xFFF60100, 0x10000};
    for (uint32_t *v : {outside, below, unaligned})
        EXPECT_EQ(Ioctl("/dev/mtd2", VORL_MTD_SET_PARTITION_SIZE, v).err, EINVAL);

    VORL_MTD_FIS_RECORD rec{"rd.gz", 0xFFF60000, 0x90000, 0x1234};
    ASSERT_EQ(Ioctl("/dev/mtd5", VORL_MTD_SET_FIS_ENTRY, &rec).ret, 0);
    std::vector<FisEntry> dir = Snapshot().Fis();
    ASSERT_EQ(dir.size(), 6u);
    EXPECT_EQ(dir[2].flashBase, 0xFFF60000u);
    EXPECT_EQ(dir[2].length, 0x90000u);
    EXPECT_EQ(dir[2].dataLength, 0x1234u);
    EXPECT_EQ(dir[1], s.Fis()[1]);
    VORL_MTD_FIS_RECORD unknown{"nothing", 0, 0, 0};
    EXPECT_EQ(Ioctl("/dev/mtd5", VORL_MTD_SET_FIS_ENTRY, &unknown).err, ENOENT);
}

TEST_F(SimKernelTest, InjectedFaultsHitTheCountedOperation) {
    ASSERT_EQ(Range("/dev/mtd1", MEMUNLOCK, 0, 0xD0000).ret, 0);
    ASSERT_EQ(Range("/dev/mtd1", MEMERASE, 0, 0xD0000).ret, 0);

    // The second write on mtd1 fails, the others pass.
    simtest::SetConf("fault_write", "mtd1:2");
    EXPECT_EQ(WriteAt("/dev/mtd1", 0, "aa").ret, 2);
    EXPECT_EQ(WriteAt("/dev/mtd1", 2, "bb").err, EIO);
    EXPECT_EQ(WriteAt("/dev/mtd1", 4, "cc").ret, 2);
    EXPECT_EQ(Snapshot().Partition(1).substr(0, 6),
              "aa\xFF\xFF"
              "cc");

    // A corrupted write reports success and stores other data.
    simtest::SetConf("fault_write", "mtd1:1=corrupt");
    EXPECT_EQ(WriteAt("/dev/mtd1", 16, "0123456789").ret, 10);
    EXPECT_NE(Snapshot().Partition(1).substr(16, 10), "0123456789");

    // A corrupted read: once wrong, then right again.
    simtest::SetConf("fault_read", "mtd1:1=corrupt");
    std::string first = ReadAll("/dev/mtd1"), second = ReadAll("/dev/mtd1");
    EXPECT_NE(first, second);
    EXPECT_EQ(second, Snapshot().Partition(1));

    // An erase that is reported but not done leaves the old data.
    simtest::SetConf("fault_erase", "1=ignore");
    EXPECT_EQ(Range("/dev/mtd1", MEMERASE, 0, 0x10000).ret, 0);
    EXPECT_EQ(Snapshot().Partition(1).substr(0, 2), "aa");

    // A partition that stays locked; a refused vendor request.
    simtest::SetConf("fault_unlock", "mtd2:1-=ignore");
    EXPECT_EQ(Range("/dev/mtd2", MEMUNLOCK, 0, 0xB0000).ret, 0);
    EXPECT_EQ(WriteAt("/dev/mtd2", 0, "x").err, EROFS);
    simtest::SetConf("fault_setsize", "1=fail/22");
    uint32_t same[2] = {0xFFF40000, 0xB0000};
    EXPECT_EQ(Ioctl("/dev/mtd2", VORL_MTD_SET_PARTITION_SIZE, same).err, EINVAL);
    EXPECT_EQ(Ioctl("/dev/mtd2", VORL_MTD_SET_PARTITION_SIZE, same).ret, 0);
}

TEST_F(SimKernelTest, FaultCountsSpanProcesses) {
    ASSERT_EQ(Range("/dev/mtd2", MEMUNLOCK, 0, 0xB0000).ret, 0);
    ASSERT_EQ(Range("/dev/mtd2", MEMERASE, 0, 0xB0000).ret, 0);
    vorltest::WriteFile("/tmp/img", PatternBytes(3 * 16384, 9));
    simtest::SetConf("fault_write", "mtd2:5");
    EXPECT_EQ(RunProgram({"/bin/dd", "if=/tmp/img", "of=/dev/mtd2", "bs=16384"}), 0);  // writes 1-3
    EXPECT_NE(RunProgram({"/bin/dd", "if=/tmp/img", "of=/dev/mtd2", "bs=16384"}), 0);  // 5th fails
    EXPECT_EQ(Snapshot().Count(kOpWrite, 2), 5u);
}

TEST(SimKernelMsys, RequestsReportFormatAndPartition) {
    SimKernel k;
    k.msys = DefaultMsysFlash();
    for (int i = 0; i < 8; i++)
        k.msys->partitions[i].content = PatternBytes(1000 * (i + 1), i);
    simtest::Install(k);

    uint32_t pairs[16];
    ASSERT_EQ(Ioctl("/dev/mtd0", VORL_MTD_MSYS_GET_PARTITIONS, pairs).ret, 0);
    for (int i = 0; i < 8; i++) {
        EXPECT_EQ(pairs[2 * i], k.msys->partitions[i].length) << i;
        EXPECT_EQ(pairs[2 * i + 1], 1000u * (i + 1)) << i;
    }
    // msys writes store the data as given (the driver rewrites blocks itself).
    ASSERT_EQ(WriteAt("/dev/mtd3", 0, "\x0F").ret, 1);
    ASSERT_EQ(WriteAt("/dev/mtd3", 0, "\xF0").ret, 1);
    EXPECT_EQ(Snapshot().Partition(3)[0], '\xF0');

    EXPECT_EQ(Ioctl("/dev/mtd0", VORL_MTD_MSYS_FORMAT, reinterpret_cast<void *>(968ul)).err,
              EINVAL);
    ASSERT_EQ(Ioctl("/dev/mtd0", VORL_MTD_MSYS_FORMAT, reinterpret_cast<void *>(967ul)).ret, 0);
    uint32_t blocks[8] = {16, 130, 190, 160, 4, 4, 4, 4};
    ASSERT_EQ(Ioctl("/dev/mtd0", VORL_MTD_MSYS_PARTITION, blocks).ret, 0);
    FlashSnapshot s = Snapshot();
    EXPECT_EQ(s.flash(), std::string(967 * 16384, '\xFF'));
    EXPECT_EQ(s.Size(1), 130u * 16384);
    EXPECT_EQ(s.state().mtd[2].offset, 146u * 16384);
    uint32_t tooMany[8] = {900, 60, 4, 4, 0, 0, 0, 0};
    EXPECT_EQ(Ioctl("/dev/mtd0", VORL_MTD_MSYS_PARTITION, tooMany).err, EINVAL);
    // The RedBoot requests are not the msys driver's.
    VORL_MTD_FIS_RECORD rec{"zImage", 0, 0, 0};
    EXPECT_EQ(Ioctl("/dev/mtd0", VORL_MTD_SET_FIS_ENTRY, &rec).err, ENOTTY);
}

TEST(SimKernelServices, VendorCallsAnswerAsConfigured) {
    struct Case {
        std::string key, mode;
        long number, arg;
        long ret;
        int err;
    };
    uint32_t word = 77;
    const long wordArg = reinterpret_cast<long>(&word);
    const Case cases[] = {
        {"syscall_405", "ok", 405, 1, 0, 0},
        {"syscall_405", "enosys", 405, 1, -1, ENOSYS},
        {"syscall_405", "16", 405, 0, -1, EBUSY},
        {"syscall_401", "ok", 401, wordArg, 0, 0},
        {"syscall_401", "enosys", 401, wordArg, -1, ENOSYS},
    };
    SimKernel k;
    k.redboot = JuniorFlash();
    simtest::Install(k);
    for (const Case &c : cases) {
        simtest::SetConf(c.key, c.mode);
        errno = 0;
        EXPECT_EQ(syscall(c.number, c.arg), c.ret) << c.key << "=" << c.mode;
        if (c.ret < 0) {
            EXPECT_EQ(errno, c.err) << c.key << "=" << c.mode;
        }
    }
    EXPECT_EQ(word, 0u);  // RedBoot layout: not msys
    simtest::SetConf("syscall_401", "ok");
    simtest::SetConf("syscall_401_value", "1");
    ASSERT_EQ(syscall(401, wordArg), 0);
    EXPECT_EQ(word, 1u);
    FlashSnapshot s = Snapshot();
    EXPECT_EQ(s.state().sys405Alloc, 2u);
    EXPECT_EQ(s.state().sys405Release, 1u);
    EXPECT_EQ(s.state().sys405Held, 1u);   // the release was refused
    EXPECT_EQ(s.state().sys401Calls, 3u);  // counted whatever the answer
}

TEST(SimKernelServices, UptimeAndFreeSpace) {
    SimKernel k;
    k.uptime = 301;
    k.statfsFree = {{"/volume1", 5u << 20}, {"/", 7u << 20}};
    simtest::Install(k);
    struct sysinfo si {};
    ASSERT_EQ(sysinfo(&si), 0);
    EXPECT_EQ(si.uptime, 301);

    struct statfs sf {};
    ASSERT_EQ(statfs("/volume1", &sf), 0);
    EXPECT_EQ(static_cast<uint64_t>(sf.f_bavail) * sf.f_bsize, 5u << 20);
    ASSERT_EQ(statfs("/tmp", &sf), 0);
    EXPECT_EQ(static_cast<uint64_t>(sf.f_bavail) * sf.f_bsize, 7u << 20);
    struct statvfs sv {};
    ASSERT_EQ(statvfs("/volume1/", &sv), 0);
    EXPECT_EQ(static_cast<uint64_t>(sv.f_bavail) * sv.f_frsize, 5u << 20);
}

TEST(SimKernelServices, MdArraysAnswerTheRaidRequests) {
    SimKernel k;
    MdArray a;
    a.number = 0;
    a.level = 1;
    a.raidDisks = 2;
    a.sizeKib = 1048576;
    a.rebuild[0] = 1;
    a.rebuild[1] = 40;
    a.rebuild[2] = 100;
    a.members = {{"sda1", "in_sync", "0"}, {"sdb1", "faulty", "1"}};
    MdArray unknown;
    unknown.number = 1;
    unknown.known = false;
    k.arrays = {a, unknown};
    simtest::Install(k);

    mdu_array_info_t info{};
    ASSERT_EQ(Ioctl("/dev/md0", GET_ARRAY_INFO, &info).ret, 0);
    EXPECT_EQ(info.level, 1);
    EXPECT_EQ(info.size, 1048576);
    EXPECT_EQ(info.raid_disks, 2);
    uint64_t bytes = 0;
    ASSERT_EQ(Ioctl("/dev/md0", 0x80041272ul, &bytes).ret, 0);  // the 32-bit request number
    EXPECT_EQ(bytes, 1048576ull * 1024);
    ASSERT_EQ(Ioctl("/dev/md0", BLKGETSIZE64, &bytes).ret, 0);
    int rebuild[3] = {};
    ASSERT_EQ(Ioctl("/dev/md0", 0x800C0960ul, rebuild).ret, 0);
    EXPECT_EQ(rebuild[1], 40);
    mdu_disk_info_t disk{};
    disk.number = 1;
    ASSERT_EQ(Ioctl("/dev/md0", GET_DISK_INFO, &disk).ret, 0);
    EXPECT_NE(disk.state & 1, 0);  // faulty
    EXPECT_EQ(Ioctl("/dev/md1", GET_ARRAY_INFO, &info).err, ENODEV);
    EXPECT_EQ(vorltest::ReadFile("/sys/block/md0/md/dev-sdb1/state"), "faulty\n");
    EXPECT_EQ(vorltest::ReadFile("/sys/block/md0/md/dev-sda1/slot"), "0\n");
}

TEST(SimKernelServices, WithoutConfigurationNothingIsSimulated) {
    vorltest::RemoveAll("/sim");
    errno = 0;
    EXPECT_LT(open("/dev/mtd0", O_RDONLY), 0);
    EXPECT_EQ(syscall(405, 1), -1);
    EXPECT_EQ(errno, ENOSYS);
}

}  // namespace
