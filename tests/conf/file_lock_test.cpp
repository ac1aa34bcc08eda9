// Named file locks: counting, refusals, timeouts against other processes,
// roll-back of partly taken requests and repair of the lock directory.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include <vorl/err.h>
#include <vorl/file_lock.h>

#include "conf/lock_table.h"
#include "conf_test_util.h"
#include "vorltest.h"

using conftest::ChildTryLock;
using conftest::LockHolder;
using conftest::Now;

namespace {

constexpr int kBusy = ERR_LOCK_FAILED >> 8;  // what ChildTryLock answers for a busy lock

const vorl::LockEntry &Entry(uint32_t id) {
    const vorl::LockEntry *e = vorl::g_rgLockEntry;
    while (e->id != 0 && e->id != id)
        ++e;
    return *e;
}

const char *const kLockFiles[] = {
    "lock_vorlinfo", "lock_pw",      "lock_gr",      "lock_rc",       "lock_host",
    "lock_smb",      "lock_exports", "lock_nw",      "lock_apple",    "lock_snmp",
    "lock_win",      "lock_tapebkp", "lock_connect", "lock_usbidmap", "lock_duseruid",
    "lock_dusergid", "lock_fstab",   "lock_hotswap",
};

}  // namespace

TEST(FileLock, TableHoldsEveryLockFileInOrder) {
    int i = 0;
    for (const vorl::LockEntry *e = vorl::g_rgLockEntry; e->id != 0; ++e, ++i) {
        ASSERT_LT(i, 18);
        EXPECT_EQ(std::string(e->szPath), std::string("/tmp/lock/") + kLockFiles[i]);
    }
    EXPECT_EQ(i, 18);
    EXPECT_EQ(vorl::g_rgLockEntry[0].id, 0x800u);
    EXPECT_EQ(vorl::g_rgLockEntry[1].id, 0x10u);
    EXPECT_EQ(vorl::g_rgLockEntry[5].id, 0x40u);
    EXPECT_EQ(vorl::g_rgLockEntry[17].id, 0x200000u);
}

TEST(FileLock, RelocksAreCountedPerProcess) {
    ASSERT_EQ(ErrVLIBFileLock(0x806, 5), 0);
    ASSERT_EQ(ErrVLIBFileLock(0x806, 5), 0);
    EXPECT_EQ(Entry(0x800).cHold, 2);
    EXPECT_EQ(ChildTryLock(0x806, 0), kBusy);

    EXPECT_EQ(ErrVLIBFileUnlock(0x800), 0);
    EXPECT_EQ(Entry(0x800).cHold, 1);
    EXPECT_EQ(ChildTryLock(0x805, 0), kBusy);  // still held exclusively

    EXPECT_EQ(ErrVLIBFileUnlock(0x800), 0);
    EXPECT_FALSE(Entry(0x800).fd);
    EXPECT_EQ(ChildTryLock(0x806, 0), 0);
    EXPECT_EQ(ErrVLIBFileUnlock(0x800), 0);  // nothing held: nothing to do
}

TEST(FileLock, SharedIsNotRaisedToExclusive) {
    ASSERT_EQ(ErrVLIBFileLock(0x805, 5), 0);
    double t0 = Now();
    VLIBErrSetNoPos(0);
    EXPECT_EQ(ErrVLIBFileLock(0x806, 5), -1);
    EXPECT_LT(Now() - t0, 1.0);  // refused at once, not after the timeout
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_LOCK_FAILED));
    EXPECT_EQ(Entry(0x800).cHold, 1);
    EXPECT_EQ(ChildTryLock(0x805, 0), 0);      // still shared
    EXPECT_EQ(ChildTryLock(0x806, 0), kBusy);  // and still held

    // A request of several locks that hits the refusal takes none of them.
    EXPECT_EQ(ErrVLIBFileLock(0x816, 0), -1);
    EXPECT_FALSE(Entry(0x10).fd);
    EXPECT_EQ(Entry(0x800).cHold, 1);

    EXPECT_EQ(ErrVLIBFileUnlock(0x800), 0);
    EXPECT_EQ(ChildTryLock(0x806, 0), 0);
}

TEST(FileLock, ExclusiveHolderCoversASharedRequest) {
    ASSERT_EQ(ErrVLIBFileLock(0x806, 0), 0);
    ASSERT_EQ(ErrVLIBFileLock(0x805, 0), 0);
    EXPECT_EQ(Entry(0x800).cHold, 2);
    EXPECT_EQ(ChildTryLock(0x805, 0), kBusy);
    EXPECT_EQ(ErrVLIBFileUnlock(0x800 | 0x5), 0);  // mode bits are ignored
    EXPECT_EQ(ErrVLIBFileUnlock(0x800), 0);
    EXPECT_EQ(ChildTryLock(0x806, 0), 0);
}

TEST(FileLock, TimeoutZeroMakesOneAttempt) {
    LockHolder holder;
    ASSERT_TRUE(holder.Start(0x16));
    double t0 = Now();
    EXPECT_EQ(ErrVLIBFileLock(0x16, 0), -1);
    EXPECT_LT(Now() - t0, 0.04);  // no 50 ms pause
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_LOCK_FAILED));
    EXPECT_FALSE(Entry(0x10).fd);
    EXPECT_EQ(ChildTryLock(0x15, 0), kBusy);  // a shared request waits too
    holder.Release();
    EXPECT_EQ(ErrVLIBFileLock(0x16, 0), 0);
    EXPECT_EQ(ErrVLIBFileUnlock(0x10), 0);
}

TEST(FileLock, TimeoutWaitsForTheOtherProcess) {
    LockHolder holder;
    ASSERT_TRUE(holder.Start(0x16));
    holder.ReleaseLater(300);
    double t0 = Now();
    EXPECT_EQ(ErrVLIBFileLock(0x16, 5), 0);
    double waited = Now() - t0;
    EXPECT_GE(waited, 0.25);
    EXPECT_LT(waited, 4.0);
    EXPECT_EQ(ChildTryLock(0x15, 0), kBusy);  // now this process holds it
    EXPECT_EQ(ErrVLIBFileUnlock(0x10), 0);
    holder.Wait();
}

TEST(FileLock, TimeoutIsKeptWhenTheLockStaysBusy) {
    LockHolder holder;
    ASSERT_TRUE(holder.Start(0x16));
    double t0 = Now();
    EXPECT_EQ(ErrVLIBFileLock(0x16, 1), -1);
    double waited = Now() - t0;
    EXPECT_GE(waited, 0.95);  // 21 attempts, 20 pauses of 50 ms
    EXPECT_LT(waited, 2.5);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_LOCK_FAILED));
    holder.Release();
}

TEST(FileLock, PartlyTakenRequestIsReleased) {
    LockHolder holder;
    ASSERT_TRUE(holder.Start(0x26));  // gr busy elsewhere
    EXPECT_EQ(ErrVLIBFileLock(0x36, 0), -1);
    EXPECT_FALSE(Entry(0x10).fd);
    EXPECT_EQ(Entry(0x10).cHold, 0);
    EXPECT_EQ(ChildTryLock(0x16, 0), 0);  // pw is free again

    // A lock held before the failed request keeps its count.
    ASSERT_EQ(ErrVLIBFileLock(0x16, 0), 0);
    EXPECT_EQ(ErrVLIBFileLock(0x36, 0), -1);
    EXPECT_EQ(Entry(0x10).cHold, 1);
    EXPECT_EQ(ChildTryLock(0x16, 0), kBusy);
    EXPECT_EQ(ErrVLIBFileUnlock(0x10), 0);
    holder.Release();
    EXPECT_EQ(ErrVLIBFileLock(0x36, 0), 0);
    EXPECT_EQ(ErrVLIBFileUnlock(0x30), 0);
}

TEST(FileLock, ModeOnlyAndUnknownIds) {
    EXPECT_EQ(ErrVLIBFileLock(0x6, 0), 0);
    for (const vorl::LockEntry *e = vorl::g_rgLockEntry; e->id != 0; ++e)
        EXPECT_FALSE(e->fd);

    double t0 = Now();
    EXPECT_EQ(ErrVLIBFileLock(0x1000000 | 0x806, 0), -1);  // no entry carries 0x1000000
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_LOCK_FAILED));
    EXPECT_LT(Now() - t0, 0.04);
    EXPECT_FALSE(Entry(0x800).fd);
}

TEST(FileLock, BadRequestsFailWithoutAnAttempt) {
    struct {
        unsigned request;
        int timeout;
    } cases[] = {
        {0x806, -1},  // negative timeout
        {0x800, 5},   // no mode: flock would fail every attempt
        {0x808, 5},   // unlock: would record a lock that is not held
        {0x803, 5},   // shared and exclusive at once
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.request);
        double t0 = Now();
        VLIBErrSetNoPos(0);
        EXPECT_EQ(ErrVLIBFileLock(c.request, c.timeout), -1);
        EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS));
        EXPECT_LT(Now() - t0, 0.5);
        EXPECT_FALSE(Entry(0x800).fd);
    }
}

TEST(FileLock, DeletedLockDirectoryIsRepaired) {
    ASSERT_EQ(ErrVLIBFileLock(0x806, 0), 0);
    ASSERT_EQ(ErrVLIBFileUnlock(0x800), 0);
    vorltest::RemoveAll("/tmp/lock");
    umask(022);

    ASSERT_EQ(ErrVLIBFileLock(0x806, 0), 0);
    struct stat st;
    ASSERT_EQ(stat("/tmp/lock", &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 07777, 0755u);
    for (const char *name : kLockFiles) {
        std::string path = std::string("/tmp/lock/") + name;
        ASSERT_EQ(lstat(path.c_str(), &st), 0) << path;
        EXPECT_TRUE(S_ISREG(st.st_mode)) << path;
        EXPECT_EQ(st.st_size, 0) << path;
    }
    EXPECT_EQ(ChildTryLock(0x806, 0), kBusy);
    EXPECT_EQ(ErrVLIBFileUnlock(0x800), 0);

    // A single missing lock file is made again; existing ones are left alone.
    unlink("/tmp/lock/lock_smb");
    EXPECT_EQ(VLIBFileLockCheckDir(), 0);
    EXPECT_TRUE(vorltest::Exists("/tmp/lock/lock_smb"));
}

TEST(FileLock, LockDirectoryThatCannotBeMadeFails) {
    vorltest::RemoveAll("/tmp/lock");
    vorltest::WriteFile("/tmp/lock", "not a directory\n");
    EXPECT_EQ(ErrVLIBFileLock(0x806, 0), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_MKDIR_FAILED));
    EXPECT_EQ(vorltest::ReadFile("/tmp/lock"), "not a directory\n");
}

TEST(FileLock, OccupiedLockFilePathsFailEveryCall) {
    // A directory, a symbolic link to a file that must not be emptied, a
    // dangling link that must not create its target, and a FIFO that must
    // not block the call.
    vorltest::WriteFile("/etc/precious", "keep me\n");
    struct {
        const char *what;
        std::function<void()> make;
    } cases[] = {
        {"directory", [] { mkdir("/tmp/lock/lock_gr", 0755); }},
        {"link to a file", [] { symlink("/etc/precious", "/tmp/lock/lock_gr"); }},
        {"dangling link", [] { symlink("/etc/created-by-lock", "/tmp/lock/lock_gr"); }},
        {"fifo", [] { mkfifo("/tmp/lock/lock_gr", 0644); }},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.what);
        vorltest::RemoveAll("/tmp/lock");
        ASSERT_EQ(VLIBFileLockCheckDir(), 0);
        unlink("/tmp/lock/lock_gr");
        c.make();
        double t0 = Now();
        EXPECT_EQ(ErrVLIBFileLock(0x806, 5), -1);  // any request, not only the gr lock
        EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_OPEN_FAILED));
        EXPECT_LT(Now() - t0, 0.5);
        EXPECT_FALSE(Entry(0x800).fd);
    }
    EXPECT_EQ(vorltest::ReadFile("/etc/precious"), "keep me\n");
    EXPECT_FALSE(vorltest::Exists("/etc/created-by-lock"));
}

TEST(FileLock, ChildDropsItsCopiesWithoutUnlocking) {
    ASSERT_EQ(ErrVLIBFileLock(0x806, 0), 0);
    ASSERT_EQ(ErrVLIBFileLock(0x45, 0), 0);
    EXPECT_EQ(conftest::RunInChild([] {
                  int r = VLIBFileLockCloseAll();
                  for (const vorl::LockEntry *e = vorl::g_rgLockEntry; e->id != 0; ++e)
                      if (e->fd || e->cHold != 0) return 2;
                  return r == 0 ? 0 : 1;
              }),
              0);
    // The parent's descriptors still hold both locks.
    EXPECT_EQ(ChildTryLock(0x805, 0), kBusy);
    EXPECT_EQ(ChildTryLock(0x46, 0), kBusy);
    EXPECT_EQ(ErrVLIBFileUnlock(0x840), 0);
    EXPECT_EQ(ChildTryLock(0x846, 0), 0);
}

TEST(FileLock, FailedUnlockStillReleasesEveryEntry) {
    auto ok = conftest::RunWithFault({}, 0, {"lock-unlock"});
    ASSERT_EQ(ok.status, 0) << ok.output;
    EXPECT_EQ(ok.result, 0) << ok.output;
    EXPECT_NE(ok.output.find("open=0"), std::string::npos) << ok.output;

    auto failed = conftest::RunWithFault({"vorltest/io/flock-unlock"}, EIO, {"lock-unlock"});
    ASSERT_EQ(failed.status, 0) << failed.output;
    EXPECT_EQ(failed.result, -1) << failed.output;
    EXPECT_EQ(failed.err, static_cast<unsigned>(ERR_UNLOCK_FAILED)) << failed.output;
    // Both entries were processed and closed, which ends the locks anyway.
    EXPECT_NE(failed.output.find("open=0"), std::string::npos) << failed.output;
    EXPECT_EQ(ChildTryLock(0x36, 0), 0);
}
