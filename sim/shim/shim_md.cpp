// The simulated md RAID driver: the requests the RAID status reads, over
// the arrays of the configuration ("md0" keys). The member directories under
// /sys/block/mdN/md/ are plain files of the appliance root.
#include <errno.h>
#include <linux/fs.h>
#include <linux/major.h>
#include <linux/raid/md_p.h>
#include <linux/raid/md_u.h>
#include <string.h>

#include "shim.h"

namespace vorlsim::shim {

namespace {

inline constexpr unsigned long kBlkGetSize64Arm = 0x80041272ul;  // 32-bit size_t
inline constexpr unsigned long kRebuildStatus = 0x800C0960ul;

struct Array {
    int level = 1;
    int raidDisks = 2;
    int nrDisks = -1;
    uint64_t sizeKib = 0;
    uint64_t bytes = 0;
    int rebuild[3] = {0, 0, 0};
    std::vector<int> faulty;
};

bool ParseInt(const std::string &s, int *v) {
    char *end;
    errno = 0;
    long n = strtol(s.c_str(), &end, 0);
    if (errno || *end || s.empty()) return false;
    *v = static_cast<int>(n);
    return true;
}

bool ParseArray(const std::string &text, Array *a) {
    for (const std::string &field : SplitFields(text, " \t")) {
        size_t eq = field.find('=');
        if (eq == std::string::npos) return false;
        std::string key = field.substr(0, eq), value = field.substr(eq + 1);
        if (key == "level") {
            if (!ParseInt(value, &a->level)) return false;
        } else if (key == "raid_disks") {
            if (!ParseInt(value, &a->raidDisks)) return false;
        } else if (key == "nr_disks") {
            if (!ParseInt(value, &a->nrDisks)) return false;
        } else if (key == "size_kib") {
            if (!ParseNumber(value, &a->sizeKib)) return false;
        } else if (key == "bytes") {
            if (!ParseNumber(value, &a->bytes)) return false;
        } else if (key == "rebuild") {
            std::vector<std::string> v = SplitFields(value, ",");
            if (v.size() != 3) return false;
            for (int i = 0; i < 3; i++)
                if (!ParseInt(v[i], &a->rebuild[i])) return false;
        } else if (key == "faulty") {
            for (const std::string &n : SplitFields(value, ",")) {
                int d;
                if (!ParseInt(n, &d)) return false;
                a->faulty.push_back(d);
            }
        }
    }
    if (a->nrDisks < 0) a->nrDisks = a->raidDisks;
    if (a->bytes == 0) a->bytes = a->sizeKib * 1024;
    return true;
}

int Fail(int err) {
    errno = err;
    return -1;
}

}  // namespace

int MdIoctl(int index, unsigned long request, unsigned long arg) {
    Kernel &k = Kernel::Get();
    Array a;
    {
        std::lock_guard<std::recursive_mutex> g(k.mu());
        k.Refresh();
        std::string key = "md" + std::to_string(index);
        if (!k.conf().Has(key)) return Fail(ENODEV);  // the driver does not know the array
        if (!ParseArray(k.conf().Get(key), &a)) return Fail(EINVAL);
    }
    void *p = reinterpret_cast<void *>(arg);
    if (!p) return Fail(EFAULT);
    int failed = static_cast<int>(a.faulty.size());
    switch (request) {
        case RAID_VERSION: {
            mdu_version_t v{0, 90, 3};
            memcpy(p, &v, sizeof v);
            return 0;
        }
        case GET_ARRAY_INFO: {
            mdu_array_info_t info{};
            info.major_version = 0;
            info.minor_version = 90;
            info.level = a.level;
            info.size = static_cast<int>(a.sizeKib > 0x7FFFFFFF ? 0x7FFFFFFF : a.sizeKib);
            info.nr_disks = a.nrDisks;
            info.raid_disks = a.raidDisks;
            info.md_minor = index;
            info.active_disks = a.nrDisks - failed;
            info.working_disks = a.nrDisks - failed;
            info.failed_disks = failed;
            info.chunk_size = 65536;
            memcpy(p, &info, sizeof info);
            return 0;
        }
        case GET_DISK_INFO: {
            mdu_disk_info_t d;
            memcpy(&d, p, sizeof d);
            if (d.number < 0 || d.number >= a.nrDisks) return Fail(ENODEV);
            int n = d.number;
            bool bad = false;
            for (int f : a.faulty)
                bad = bad || f == n;
            d.major = SCSI_DISK0_MAJOR;
            d.minor = 16 * n + 1;
            d.raid_disk = n < a.raidDisks ? n : -1;
            d.state = bad ? (1 << MD_DISK_FAULTY) : (1 << MD_DISK_ACTIVE) | (1 << MD_DISK_SYNC);
            memcpy(p, &d, sizeof d);
            return 0;
        }
        case BLKGETSIZE64:
        case kBlkGetSize64Arm:
            memcpy(p, &a.bytes, sizeof a.bytes);
            return 0;
        case BLKGETSIZE: {
            unsigned long sectors = a.bytes / 512;
            memcpy(p, &sectors, sizeof sectors);
            return 0;
        }
        case kRebuildStatus:
            memcpy(p, a.rebuild, sizeof a.rebuild);
            return 0;
        default:
            return Fail(ENOTTY);
    }
}

}  // namespace vorlsim::shim
