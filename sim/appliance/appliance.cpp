#include "appliance.h"

#include <dirent.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "flashimage.h"

#ifndef VORLSIM_STANDINS_DIR
#error "VORLSIM_STANDINS_DIR must name the directory of the stand-in programs"
#endif

namespace vorlsim {

namespace fs = std::filesystem;

namespace {

struct Row {
    const char *name;
    const char *file;
};

// The plan rows of the two variants (the updater's built-in tables).
const Row kFullRows[] = {{"RedBoot", "RedBoot.msys"},
                         {"zImage", "zImage"},
                         {"rd.gz", "rd.bin"},
                         {"AllLib.tgz", "AllLib.tgz"},
                         {"vendor", "vendor"},
                         {"vorlcfg", "vorlcfg"},
                         {"RedBoot Config", "RedBoot Config"},
                         {"FIS Directory", "FIS Directory"}};
const Row kJuniorRows[] = {{"RedBoot", "RedBoot.msys"},
                           {"zImage", "zImage"},
                           {"rd.gz", "rd.bin"},
                           {"vendor", "vendor"},
                           {"RedBoot Config", "RedBoot Config"},
                           {"FIS Directory", "FIS Directory"}};

// Where each partition lies, in erase blocks from the start of the flash,
// and how long it is. The full variant's flash has 128 blocks, the junior's
// 32 (its layout is the one of the junior's factory FIS directory).
struct Place {
    const char *name;
    uint32_t firstBlock, blocks;
};
const Place kFullPlaces[] = {{"RedBoot", 123, 4},        {"zImage", 0, 32},
                             {"rd.gz", 32, 48},          {"AllLib.tgz", 80, 28},
                             {"vendor", 108, 1},         {"vorlcfg", 109, 1},
                             {"RedBoot Config", 110, 1}, {"FIS Directory", 127, 1}};
constexpr uint32_t kFullBlocks = 128;
const Place kJuniorPlaces[] = {{"RedBoot", 16, 4},        {"zImage", 0, 13},
                               {"rd.gz", 20, 11},         {"vendor", 13, 1},
                               {"RedBoot Config", 14, 1}, {"FIS Directory", 31, 1}};
constexpr uint32_t kJuniorBlocks = 32;
// The msys layout: 16384-byte blocks of each of the 8 partitions.
const uint32_t kMsysBlocks[8] = {16, 128, 192, 256, 4, 4, 4, 4};

bool Fail(std::string *error, const std::string &why) {
    if (error) *error = why;
    return false;
}

std::string Join(const std::string &root, const std::string &path) {
    if (root.empty() || root == "/") return path;
    return root + path;
}

bool Write(const std::string &path, const std::string &content, mode_t mode, std::string *error) {
    std::error_code ec;
    fs::create_directories(fs::path(path).parent_path(), ec);
    unlink(path.c_str());  // a link left there is replaced, not followed
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    out.close();
    if (!out || chmod(path.c_str(), mode) != 0) return Fail(error, "cannot write " + path);
    return true;
}

bool MakeDir(const std::string &path, std::string *error) {
    std::error_code ec;
    fs::create_directories(path, ec);
    if (ec) return Fail(error, "cannot make " + path + ": " + ec.message());
    return true;
}

bool ParseBool(const std::string &v, bool *out) {
    if (v == "yes" || v == "1" || v == "true") {
        *out = true;
    } else if (v == "no" || v == "0" || v == "false") {
        *out = false;
    } else {
        return false;
    }
    return true;
}

bool ParseU64(const std::string &v, uint64_t *out) {
    if (v.empty() || v[0] == '-') return false;
    char *end = nullptr;
    errno = 0;
    unsigned long long n = strtoull(v.c_str(), &end, 0);
    if (errno || *end) return false;
    *out = n;
    return true;
}

std::string Quoted(const std::string &key, const std::string &value) {
    return key + "=\"" + value + "\"\n";
}

uint64_t Seed(const std::string &tag) {
    uint64_t h = 1469598103934665603ull;  // FNV-1a
    for (unsigned char c : tag)
        h = (h ^ c) * 1099511628211ull;
    return h ? h : 1;
}

std::string Bytes(const std::string &tag, size_t size) {
    std::string out(size, '\0');
    uint64_t x = Seed(tag);
    for (size_t i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        out[i] = static_cast<char>(x >> 24);
    }
    return out;
}

// The root's /bin and /sbin as directories of their own: a link to each of
// the host's programs, so that the appliance's own programs can stand beside
// them.
bool OwnProgramDir(const std::string &root, const char *dir, std::string *error) {
    std::string path = Join(root, std::string("/") + dir);
    struct stat st;
    if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode) && unlink(path.c_str()) != 0)
        return Fail(error, "cannot replace the link " + path);
    if (!MakeDir(path, error)) return false;
    std::string host = std::string("/usr/") + dir;
    DIR *d = opendir(host.c_str());
    if (!d) return Fail(error, "cannot read " + host);
    while (dirent *e = readdir(d)) {
        if (e->d_name[0] == '.') continue;
        std::string link = path + "/" + e->d_name;
        if (lstat(link.c_str(), &st) == 0) continue;
        if (symlink((host + "/" + e->d_name).c_str(), link.c_str()) != 0) {
            closedir(d);
            return Fail(error, "cannot link " + link);
        }
    }
    closedir(d);
    return true;
}

bool InstallStandIn(const std::string &root, const std::string &name, const std::string &dest,
                    std::string *error) {
    std::ifstream in(std::string(VORLSIM_STANDINS_DIR) + "/" + name, std::ios::binary);
    if (!in) return Fail(error, std::string("no stand-in ") + name + " in " VORLSIM_STANDINS_DIR);
    std::stringstream ss;
    ss << in.rdbuf();
    return Write(Join(root, dest), ss.str(), 0755, error);
}

// Image sizes of the package: "zImage:1536 rd.bin:2560".
bool ParseImages(const std::string &text, std::vector<std::pair<std::string, uint64_t>> *out,
                 std::string *error) {
    std::istringstream in(text);
    std::string item;
    while (in >> item) {
        size_t colon = item.rfind(':');
        uint64_t kib = 0;
        if (colon == std::string::npos || !ParseU64(item.substr(colon + 1), &kib))
            return Fail(error, "images: \"" + item + "\" is not file:KiB");
        out->emplace_back(item.substr(0, colon), kib);
    }
    return true;
}

bool ParseMembers(const std::string &text, std::vector<MdMember> *out, std::string *error) {
    std::istringstream in(text);
    std::string item;
    while (in >> item) {
        MdMember m;
        size_t a = item.find(':');
        m.name = item.substr(0, a);
        if (a != std::string::npos) {
            size_t b = item.find(':', a + 1);
            m.state = item.substr(a + 1, b == std::string::npos ? std::string::npos : b - a - 1);
            if (b != std::string::npos) m.slot = item.substr(b + 1);
        }
        if (m.state.find("spare") != std::string::npos && m.slot == "0") m.slot = "none";
        if (m.name.empty()) return Fail(error, "raid_members: empty member name");
        out->push_back(m);
    }
    return true;
}

// The partition length that holds a package file (for a size of 0).
uint64_t RoomOf(const ApplianceProfile &p, const std::string &file) {
    if (p.flash == "msys") {
        for (int k = 0; k < 8; ++k) {
            if (file == kFullRows[k].file) return uint64_t(kMsysBlocks[k] - 1) * 16384;
        }
        return 0;
    }
    const Row *rows = p.junior ? kJuniorRows : kFullRows;
    size_t n = p.junior ? 6 : 8;
    for (size_t i = 0; i < n; ++i) {
        if (file != rows[i].file) continue;
        for (const Place &pl :
             p.junior ? std::vector<Place>(std::begin(kJuniorPlaces), std::end(kJuniorPlaces))
                      : std::vector<Place>(std::begin(kFullPlaces), std::end(kFullPlaces))) {
            if (rows[i].name == std::string(pl.name)) return uint64_t(pl.blocks - 1) * p.eraseSize;
        }
    }
    return 0;
}

// How much of a partition of the old firmware holds data.
uint32_t OldDataLength(const std::string &name, uint32_t length, uint32_t unit) {
    if (name == "vendor" || name == "RedBoot Config" || name == "vorlcfg") return length;
    if (name == "FIS Directory") return 0x600;
    return length > unit ? length - unit / 2 : length / 2;
}

bool BuildKernel(const ApplianceProfile &p, SimKernel *k, std::string *error) {
    if (p.flash == "redboot") {
        RedBootFlash f;
        uint32_t blocks = p.junior ? kJuniorBlocks : kFullBlocks;
        if (p.eraseSize == 0 || (uint64_t(blocks) * p.eraseSize) > 0x80000000ull)
            return Fail(error, "erase_size out of range");
        f.eraseSize = p.eraseSize;
        f.flashSize = blocks * p.eraseSize;
        f.flashBase = static_cast<uint32_t>(0x100000000ull - f.flashSize);
        const Row *rows = p.junior ? kJuniorRows : kFullRows;
        const Place *places = p.junior ? kJuniorPlaces : kFullPlaces;
        int n = p.junior ? 6 : 8;
        for (int i = 0; i < n; ++i) {
            Partition part;
            part.name = rows[i].name;
            part.mtd = i;
            part.flashBase = f.flashBase + places[i].firstBlock * p.eraseSize;
            part.length = places[i].blocks * p.eraseSize;
            uint32_t data = OldDataLength(part.name, part.length, p.eraseSize);
            if (part.name != "FIS Directory") {
                part.content = OldContent(part.name, data);
            } else {
                part.dataLength = data;
            }
            f.partitions.push_back(part);
        }
        k->redboot = f;
    } else if (p.flash == "msys") {
        MsysFlash f;
        for (int i = 0; i < 8; ++i) {
            Partition part;
            part.name = kFullRows[i].name;
            part.mtd = i;
            part.length = kMsysBlocks[i] * 16384;
            part.content = OldContent(part.name, OldDataLength(part.name, part.length, 16384));
            f.partitions.push_back(part);
        }
        k->msys = f;
    } else {
        return Fail(error, "flash must be redboot or msys");
    }
    k->syscall405 = p.sys405;
    k->uptime = p.uptime;
    if (p.writeable) k->statfsFree.emplace_back("/writeable", p.writeableFree);
    if (p.raid) {
        MdArray md;
        md.number = 0;
        md.known = p.raidKnown;
        md.level = p.raidLevel;
        md.raidDisks = p.raidDisks;
        md.sizeKib = p.systemKib;
        if (!ParseMembers(p.raidMembers, &md.members, error)) return false;
        k->arrays.push_back(md);
    }
    for (const auto &[key, value] : p.kernel) {
        if (key.rfind("fault_", 0) == 0) {
            k->faults[key.substr(6)] = value;
        } else {
            k->extra[key] = value;
        }
    }
    return true;
}

std::string PartitionTable(const ApplianceProfile &p) {
    uint64_t sectors = p.systemKib * 2;
    std::ostringstream t;
    t << "/dev/hda1 63 " << 63 + sectors - 1 << " " << sectors << " 83\n";
    uint64_t swapStart = 63 + sectors;
    uint64_t swapEnd = p.hda3Start > swapStart ? p.hda3Start - 1 : swapStart + 1048575;
    t << "/dev/hda2 " << swapStart << " " << swapEnd << " " << swapEnd - swapStart + 1 << " 82\n";
    t << "/dev/hda3 " << p.hda3Start << " " << p.hda3Start + 10000000 - 1 << " 10000000 83\n";
    return t.str();
}

}  // namespace

std::vector<std::string> FlashRows(bool junior) {
    std::vector<std::string> out;
    if (junior) {
        for (const Row &r : kJuniorRows)
            out.push_back(r.name);
    } else {
        for (const Row &r : kFullRows)
            out.push_back(r.name);
    }
    return out;
}

std::string OldContent(const std::string &partition, size_t size) {
    return Bytes("old:" + partition, size);
}

std::string NewImage(const std::string &file, int build, size_t size) {
    return Bytes("new:" + file + ":" + std::to_string(build), size);
}

bool SetProfileKey(ApplianceProfile *p, const std::string &key, const std::string &value,
                   std::string *error) {
    auto number = [&](uint64_t *out) {
        return ParseU64(value, out) || Fail(error, key + ": \"" + value + "\" is not a number");
    };
    auto flag = [&](bool *out) {
        return ParseBool(value, out) || Fail(error, key + ": \"" + value + "\" is not yes or no");
    };
    auto integer = [&](int *out) {
        uint64_t n = 0;
        if (!number(&n)) return false;
        *out = static_cast<int>(n);
        return true;
    };
    uint64_t n = 0;
    if (key == "model") {
        p->model = value;
    } else if (key == "variant") {
        if (value != "junior" && value != "full") return Fail(error, "variant: junior or full");
        p->junior = value == "junior";
    } else if (key == "major") {
        p->major = value;
    } else if (key == "minor") {
        p->minor = value;
    } else if (key == "phase") {
        p->phase = value;
    } else if (key == "build") {
        return integer(&p->build);
    } else if (key == "initrd") {
        return flag(&p->initrd);
    } else if (key == "uptime") {
        return number(&p->uptime);
    } else if (key == "disk") {
        if (value != "raid" && value != "single") return Fail(error, "disk: raid or single");
        p->raid = value == "raid";
    } else if (key == "raid_level") {
        return integer(&p->raidLevel);
    } else if (key == "raid_disks") {
        return integer(&p->raidDisks);
    } else if (key == "raid_members") {
        p->raidMembers = value;
    } else if (key == "raid_known") {
        return flag(&p->raidKnown);
    } else if (key == "system_kib") {
        return number(&p->systemKib);
    } else if (key == "hda3_start") {
        return number(&p->hda3Start);
    } else if (key == "support_mtu") {
        return flag(&p->supportMtu);
    } else if (key == "eth0_mtu") {
        p->eth0Mtu = value;
    } else if (key == "flash") {
        if (value != "redboot" && value != "msys") return Fail(error, "flash: redboot or msys");
        p->flash = value;
    } else if (key == "erase_size") {
        if (!number(&n)) return false;
        p->eraseSize = static_cast<uint32_t>(n);
    } else if (key == "sys405") {
        p->sys405 = value;
    } else if (key == "writeable") {
        return flag(&p->writeable);
    } else if (key == "writeable_free") {
        return number(&p->writeableFree);
    } else if (key == "fail_migration") {
        return flag(&p->failMigration);
    } else if (key == "old_files") {
        return flag(&p->oldFiles);
    } else if (key == "package_model") {
        p->packageModel = value;
    } else if (key == "package_major") {
        p->packageMajor = value;
    } else if (key == "package_minor") {
        p->packageMinor = value;
    } else if (key == "package_phase") {
        p->packagePhase = value;
    } else if (key == "package_build") {
        return integer(&p->packageBuild);
    } else if (key == "extractsize") {
        p->extractSize = value;
    } else if (key == "images") {
        p->images = value;
    } else if (key == "hda1_tgz") {
        return flag(&p->hda1Tgz);
    } else if (key == "volume") {
        p->volume = value;
    } else if (key == "package_dir") {
        p->packageDir = value;
    } else if (key == "updater") {
        p->updater = value;
    } else if (key.rfind("kernel.", 0) == 0) {
        p->kernel[key.substr(7)] = value;
    } else if (key.rfind("setting.", 0) == 0) {
        p->settings[key.substr(8)] = value;
    } else if (key.rfind("default.", 0) == 0) {
        p->defaultSettings[key.substr(8)] = value;
    } else {
        return Fail(error, "unknown profile key \"" + key + "\"");
    }
    return true;
}

bool LoadProfile(const std::string &path, ApplianceProfile *profile, std::string *error) {
    std::ifstream in(path);
    if (!in) return Fail(error, "cannot read the profile " + path);
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        size_t b = line.find_first_not_of(" \t\r");
        if (b == std::string::npos || line[b] == '#') continue;
        size_t eq = line.find('=');
        if (eq == std::string::npos)
            return Fail(error, path + ":" + std::to_string(lineNo) + ": no '='");
        std::string key = line.substr(b, eq - b);
        key.erase(key.find_last_not_of(" \t") + 1);
        std::string value = line.substr(eq + 1);
        value.erase(0, value.find_first_not_of(" \t"));
        value.erase(value.find_last_not_of(" \t\r") + 1);
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        std::string why;
        if (!SetProfileKey(profile, key, value, &why))
            return Fail(error, path + ":" + std::to_string(lineNo) + ": " + why);
    }
    return true;
}

bool CreateAppliance(const std::string &root, const ApplianceProfile &p, std::string *error) {
    std::string model = p.model;
    if (p.junior && (model.size() < 7 || model.compare(model.size() - 7, 7, "_junior") != 0))
        model += "_junior";
    std::string packageModel = p.packageModel.empty() ? model : p.packageModel;

    // The running system.
    if (!Write(Join(root, "/etc.defaults/VERSION"),
               Quoted("majorversion", p.major) + Quoted("minorversion", p.minor) +
                   Quoted("buildphase", p.phase) + Quoted("buildnumber", std::to_string(p.build)),
               0644, error))
        return false;
    std::string defaults = Quoted("unique", model) + Quoted("supportraid", p.raid ? "yes" : "no") +
                           Quoted("supportMTU", p.supportMtu ? "yes" : "no") +
                           Quoted("defaultfs", "ext3");
    for (const auto &[k, v] : p.defaultSettings)
        defaults += Quoted(k, v);
    if (!Write(Join(root, "/etc.defaults/vorlinfo.conf"), defaults, 0644, error)) return false;
    std::string settings;
    if (!p.eth0Mtu.empty()) settings += Quoted("eth0_mtu", p.eth0Mtu);
    for (const auto &[k, v] : p.settings)
        settings += Quoted(k, v);
    if (!Write(Join(root, "/etc/vorlinfo.conf"), settings, 0644, error)) return false;

    std::error_code ec;
    if (p.initrd) {
        if (!MakeDir(Join(root, "/initrd"), error)) return false;
    } else {
        fs::remove_all(Join(root, "/initrd"), ec);
    }
    if (!MakeDir(Join(root, "/tmpRoot"), error)) return false;
    if (p.writeable && !MakeDir(Join(root, "/writeable/configs"), error)) return false;
    if (!MakeDir(Join(root, "/var/services/photo/album/@eaDir"), error)) return false;

    if (p.oldFiles) {
        for (const char *f :
             {"/usr/vorl/etc/manutil.conf", "/usr/vorl/etc/php.ini", "/usr/vorl/etc/rc.atalk",
              "/usr/vorl/etc/papd.conf", "/etc/profile", "/usr/vorl/etc/rc.d/S78JumboFrame.sh"}) {
            if (!Write(Join(root, f), std::string("# old firmware: ") + f + "\n", 0644, error))
                return false;
        }
    }
    if (p.failMigration) {
        // A directory where the migration removes a file: the removal fails.
        std::string dir = Join(root, "/usr/vorl/etc/manutil.conf");
        fs::remove_all(dir, ec);
        if (!Write(dir + "/keep", "a directory the migration cannot remove\n", 0644, error))
            return false;
    }

    // The appliance's own programs.
    if (!OwnProgramDir(root, "bin", error) || !OwnProgramDir(root, "sbin", error)) return false;
    if (!InstallStandIn(root, "sfdisk", "/sbin/sfdisk", error) ||
        !InstallStandIn(root, "get_key_value", "/bin/get_key_value", error) ||
        !InstallStandIn(root, "mount", "/bin/mount", error) ||
        !InstallStandIn(root, "record", "/usr/vorl/etc/rc.d/S20pgsql.sh", error))
        return false;

    // The kernel: flash, RAID, vendor calls, uptime, free space.
    SimKernel kernel;
    if (!BuildKernel(p, &kernel, error)) return false;
    std::string kernelRoot = root == "/" ? "" : root;
    if (!InstallKernel(kernelRoot, kernel, error)) return false;
    if (!Write(Join(root, "/sim/partitions"), PartitionTable(p), 0644, error)) return false;
    if (!Write(Join(root, kCallsLog), "", 0666, error)) return false;

    // The package.
    std::string dir = Join(root, p.volume + "/" + p.packageDir);
    fs::remove_all(dir, ec);
    if (!MakeDir(dir, error)) return false;
    std::string version = Quoted("unique", packageModel) + Quoted("majorversion", p.packageMajor) +
                          Quoted("minorversion", p.packageMinor) +
                          Quoted("buildphase", p.packagePhase) +
                          Quoted("buildnumber", std::to_string(p.packageBuild));
    if (!p.extractSize.empty()) version += Quoted("extractsize", p.extractSize);
    if (!Write(dir + "/VERSION", version, 0644, error)) return false;
    std::vector<std::pair<std::string, uint64_t>> images;
    if (!ParseImages(p.images, &images, error)) return false;
    for (const auto &[file, kib] : images) {
        uint64_t size = kib ? kib * 1024 : RoomOf(p, file);
        if (!Write(dir + "/" + file, NewImage(file, p.packageBuild, size), 0644, error))
            return false;
    }
    if (p.hda1Tgz && !Write(dir + "/hda1.tgz", Bytes("hda1.tgz", 4096), 0644, error)) return false;
    if (!p.updater.empty()) {
        fs::copy_file(p.updater, dir + "/updater", fs::copy_options::overwrite_existing, ec);
        if (ec || chmod((dir + "/updater").c_str(), 0755) != 0)
            return Fail(error, "cannot copy " + p.updater + " into the package");
    }
    return true;
}

}  // namespace vorlsim
