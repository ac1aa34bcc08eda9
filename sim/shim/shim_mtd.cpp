// The simulated MTD drivers. RedBoot layout: NOR flash, where a write can
// only clear bits (stored = old & data), erase sets whole erase blocks to
// 0xFF and locked blocks refuse erase and write. msys layout: the flash
// driver rewrites blocks itself, so a write stores the data as given.
#include <errno.h>
#include <fcntl.h>
#include <mtd/mtd-user.h>
#include <string.h>
#include <unistd.h>

#include <vector>

#include <vorl/mtd.h>

#include "shim.h"

namespace vorlsim::shim {

namespace {

struct Window {
    KernelState *st = nullptr;
    int flash = -1;
    MtdWindow w{};
};

// The device's window, or false (errno ENODEV) when there is none.
bool GetWindow(int index, Window *out) {
    Kernel &k = Kernel::Get();
    std::lock_guard<std::recursive_mutex> g(k.mu());
    if (!k.state()) k.Refresh();
    KernelState *st = k.state();
    if (!st || st->layout == kLayoutNone || k.flashFd() < 0 || !st->mtd[index].present) {
        errno = ENODEV;
        return false;
    }
    *out = Window{st, k.flashFd(), st->mtd[index]};
    return true;
}

bool FullPread(int fd, void *buf, size_t n, uint64_t pos) {
    auto *p = static_cast<uint8_t *>(buf);
    while (n > 0) {
        ssize_t r = R().pread(fd, p, n, static_cast<off_t>(pos));
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return false;
        if (r == 0) {  // past the end of the flash file: erased
            memset(p, 0xFF, n);
            return true;
        }
        p += r;
        pos += static_cast<uint64_t>(r);
        n -= static_cast<size_t>(r);
    }
    return true;
}

bool FullPwrite(int fd, const void *buf, size_t n, uint64_t pos) {
    auto *p = static_cast<const uint8_t *>(buf);
    while (n > 0) {
        ssize_t r = R().pwrite(fd, p, n, static_cast<off_t>(pos));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        p += r;
        pos += static_cast<uint64_t>(r);
        n -= static_cast<size_t>(r);
    }
    return true;
}

bool FillErased(int fd, uint64_t pos, uint64_t n) {
    static const std::vector<uint8_t> ff(65536, 0xFF);
    while (n > 0) {
        size_t chunk = n < ff.size() ? static_cast<size_t>(n) : ff.size();
        if (!FullPwrite(fd, ff.data(), chunk, pos)) return false;
        pos += chunk;
        n -= chunk;
    }
    return true;
}

bool AnyLocked(const KernelState *st, uint64_t pos, uint64_t n) {
    if (n == 0) return false;
    for (uint64_t b = pos / st->eraseSize; b <= (pos + n - 1) / st->eraseSize; b++)
        if (b < st->eraseBlocks && st->locked[b]) return true;
    return false;
}

int Fail(int err) {
    errno = err;
    return -1;
}

// The data length the msys driver reports: the bytes up to the last one
// that is not erased.
uint32_t MsysDataLength(int flash, const MtdWindow &w) {
    std::vector<uint8_t> buf(65536);
    uint64_t end = w.size;
    while (end > 0) {
        uint64_t chunk = end < buf.size() ? end : buf.size();
        if (!FullPread(flash, buf.data(), static_cast<size_t>(chunk), w.offset + end - chunk))
            return 0;
        for (uint64_t i = chunk; i > 0; i--)
            if (buf[i - 1] != 0xFF) return static_cast<uint32_t>(end - chunk + i);
        end -= chunk;
    }
    return 0;
}

int SetFisEntry(KernelState *st, int flash, const VORL_MTD_FIS_RECORD &rec) {
    if (st->fisMtd < 0 || !st->mtd[st->fisMtd].present) return Fail(ENODEV);
    const MtdWindow &dir = st->mtd[st->fisMtd];
    uint8_t entry[VORL_FIS_ENTRY_SIZE];
    for (uint64_t pos = 0; pos + sizeof entry <= dir.size; pos += sizeof entry) {
        if (!FullPread(flash, entry, sizeof entry, dir.offset + pos)) return Fail(EIO);
        if (entry[0] == 0xFF) break;
        if (strncmp(reinterpret_cast<char *>(entry), rec.szName, VORL_FIS_NAME_SIZE) != 0) continue;
        // The driver rewrites its directory block itself: no NOR rule, no lock.
        memcpy(entry + 16, &rec.ulFlashBase, 4);
        memcpy(entry + 24, &rec.ulLength, 4);
        memcpy(entry + 32, &rec.ulDataLength, 4);
        return FullPwrite(flash, entry, sizeof entry, dir.offset + pos) ? 0 : Fail(EIO);
    }
    return Fail(ENOENT);
}

}  // namespace

ssize_t MtdRead(int fd, int index, void *buf, size_t n, off_t pos) {
    Window win;
    if (!GetWindow(index, &win)) return -1;
    off_t p = pos >= 0 ? pos : R().lseek(fd, 0, SEEK_CUR);
    if (p < 0) return -1;
    Hit hit = Kernel::Get().Count(kOpRead, index);
    if (hit.action == kActFail) return Fail(hit.err);
    if (static_cast<uint64_t>(p) >= win.w.size || n == 0) return 0;
    size_t len = static_cast<size_t>(
        n < win.w.size - static_cast<uint64_t>(p) ? n : win.w.size - static_cast<uint64_t>(p));
    if (hit.action == kActShort && len > 1) len /= 2;
    if (!FullPread(win.flash, buf, len, win.w.offset + static_cast<uint64_t>(p))) return -1;
    if (hit.action == kActCorrupt) static_cast<uint8_t *>(buf)[len / 2] ^= 0x01;
    if (pos < 0) R().lseek(fd, p + static_cast<off_t>(len), SEEK_SET);
    return static_cast<ssize_t>(len);
}

ssize_t MtdWrite(int fd, int index, const void *buf, size_t n, off_t pos) {
    Window win;
    if (!GetWindow(index, &win)) return -1;
    off_t p = pos >= 0 ? pos : R().lseek(fd, 0, SEEK_CUR);
    if (p < 0) return -1;
    Hit hit = Kernel::Get().Count(kOpWrite, index);
    if (hit.action == kActFail) return Fail(hit.err);
    if (n == 0) return 0;
    if (static_cast<uint64_t>(p) >= win.w.size) return Fail(ENOSPC);
    size_t len = static_cast<size_t>(
        n < win.w.size - static_cast<uint64_t>(p) ? n : win.w.size - static_cast<uint64_t>(p));
    if (hit.action == kActShort && len > 1) len /= 2;
    uint64_t at = win.w.offset + static_cast<uint64_t>(p);
    if (AnyLocked(win.st, at, len)) return Fail(EROFS);
    if (hit.action != kActIgnore) {
        thread_local std::vector<uint8_t> data, old;
        data.assign(static_cast<const uint8_t *>(buf), static_cast<const uint8_t *>(buf) + len);
        if (hit.action == kActCorrupt) data[len / 2] ^= 0x01;
        if (win.st->layout == kLayoutRedBoot) {
            old.resize(len);
            if (!FullPread(win.flash, old.data(), len, at)) return -1;
            for (size_t i = 0; i < len; i++)
                data[i] &= old[i];
        }
        if (!FullPwrite(win.flash, data.data(), len, at)) return -1;
    }
    if (pos < 0) R().lseek(fd, p + static_cast<off_t>(len), SEEK_SET);
    return static_cast<ssize_t>(len);
}

off_t MtdSeekEnd(int fd, int index, off_t off) {
    Window win;
    if (!GetWindow(index, &win)) return -1;
    return R().lseek(fd, static_cast<off_t>(win.w.size) + off, SEEK_SET);
}

int MtdIoctl(int index, unsigned long request, unsigned long arg) {
    Kernel &k = Kernel::Get();
    std::lock_guard<std::recursive_mutex> g(k.mu());
    k.Refresh();
    KernelState *st = k.state();
    int flash = k.flashFd();
    if (!st || st->layout == kLayoutNone || flash < 0 || !st->mtd[index].present)
        return Fail(ENODEV);
    MtdWindow &w = st->mtd[index];
    void *p = reinterpret_cast<void *>(arg);

    Op op;
    switch (request) {
        case VORL_MTD_MEMGETINFO:
            op = kOpInfo;
            break;
        case VORL_MTD_MEMERASE:
            op = kOpErase;
            break;
        case VORL_MTD_MEMLOCK:
            op = kOpLock;
            break;
        case VORL_MTD_MEMUNLOCK:
            op = kOpUnlock;
            break;
        case VORL_MTD_SET_PARTITION_SIZE:
            op = kOpSetSize;
            break;
        case VORL_MTD_SET_FIS_ENTRY:
            op = kOpSetFis;
            break;
        case VORL_MTD_MSYS_FORMAT:
            op = kOpFormat;
            break;
        case VORL_MTD_MSYS_PARTITION:
            op = kOpPartition;
            break;
        case VORL_MTD_MSYS_GET_PARTITIONS:
            op = kOpGetParts;
            break;
        default:
            return Fail(ENOTTY);
    }
    bool msysOnly = op == kOpFormat || op == kOpPartition || op == kOpGetParts;
    if (msysOnly != (st->layout == kLayoutMsys) && (msysOnly || op == kOpSetFis))
        return Fail(ENOTTY);
    if (op != kOpFormat && arg == 0) return Fail(EFAULT);
    Hit hit = k.Count(op, index);
    if (hit.action == kActFail || hit.action == kActShort ||
        (hit.action == kActCorrupt && op != kOpErase))
        return Fail(hit.err ? hit.err : EIO);
    if (hit.action == kActIgnore && op != kOpInfo && op != kOpGetParts) return 0;

    switch (op) {
        case kOpInfo: {
            mtd_info_user info{};
            info.type = MTD_NORFLASH;
            info.flags = MTD_CAP_NORFLASH;
            info.size = static_cast<uint32_t>(w.size);
            info.erasesize = st->eraseSize;
            info.writesize = 1;
            memcpy(p, &info, sizeof info);
            return 0;
        }
        case kOpErase:
        case kOpLock:
        case kOpUnlock: {
            erase_info_user ei;
            memcpy(&ei, p, sizeof ei);
            if (static_cast<uint64_t>(ei.start) + ei.length > w.size) return Fail(EINVAL);
            uint64_t at = w.offset + ei.start;
            if (op == kOpErase) {
                if (ei.length == 0 || ei.start % st->eraseSize || ei.length % st->eraseSize)
                    return Fail(EINVAL);
                if (AnyLocked(st, at, ei.length)) return Fail(EROFS);
                if (!FillErased(flash, at, ei.length)) return Fail(EIO);
                if (hit.action == kActCorrupt) {
                    uint8_t zero = 0;
                    FullPwrite(flash, &zero, 1, at + ei.length / 2);
                }
                return 0;
            }
            if (ei.length == 0) return 0;
            k.LockState();
            for (uint64_t b = at / st->eraseSize; b <= (at + ei.length - 1) / st->eraseSize; b++)
                if (b < st->eraseBlocks) st->locked[b] = op == kOpLock ? 1 : 0;
            k.UnlockState();
            return 0;
        }
        case kOpSetSize: {
            uint32_t v[2];
            memcpy(v, p, sizeof v);
            uint64_t base = st->layout == kLayoutRedBoot ? st->flashBase : 0;
            if (v[0] < base || v[0] - base + static_cast<uint64_t>(v[1]) > st->flashSize ||
                (v[0] - base) % st->eraseSize || v[1] % st->eraseSize)
                return Fail(EINVAL);
            k.LockState();
            w.offset = v[0] - base;
            w.size = v[1];
            k.UnlockState();
            return 0;
        }
        case kOpSetFis: {
            VORL_MTD_FIS_RECORD rec;
            memcpy(&rec, p, sizeof rec);
            return SetFisEntry(st, flash, rec);
        }
        case kOpFormat: {
            if (arg == 0 || arg > st->eraseBlocks) return Fail(EINVAL);
            k.LockState();
            bool ok = FillErased(flash, 0, st->flashSize);
            st->msysUnits = static_cast<uint32_t>(arg);
            for (MtdWindow &m : st->mtd)
                m.offset = m.size = 0;
            k.UnlockState();
            return ok ? 0 : Fail(EIO);
        }
        case kOpPartition: {
            uint32_t blocks[kMaxMtd];
            memcpy(blocks, p, sizeof blocks);
            uint64_t total = 0;
            for (uint32_t b : blocks)
                total += b;
            if (total > st->msysUnits) return Fail(EINVAL);
            k.LockState();
            uint64_t offset = 0;
            for (int i = 0; i < kMaxMtd; i++) {
                st->mtd[i].offset = offset;
                st->mtd[i].size = static_cast<uint64_t>(blocks[i]) * kMsysBlockSize;
                offset += st->mtd[i].size;
            }
            k.UnlockState();
            return 0;
        }
        case kOpGetParts: {
            uint32_t pairs[2 * kMaxMtd];
            for (int i = 0; i < kMaxMtd; i++) {
                pairs[2 * i] = static_cast<uint32_t>(st->mtd[i].size);
                pairs[2 * i + 1] = MsysDataLength(flash, st->mtd[i]);
            }
            memcpy(p, pairs, sizeof pairs);
            return 0;
        }
        default:
            return Fail(ENOTTY);
    }
}

}  // namespace vorlsim::shim
