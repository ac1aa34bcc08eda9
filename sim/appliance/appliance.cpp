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

// The msys layout's partitions hold 16384-byte blocks.
constexpr uint32_t kMsysBlock = 16384;

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

uint32_t Seed(const std::string &tag) {
    uint32_t h = 2166136261u;  // FNV-1a
    for (unsigned char c : tag)
        h = (h ^ c) * 16777619u;
    return h;
}

std::string Bytes(const std::string &tag, size_t size) {
    return PatternBytes(size, Seed(tag));
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

// The flash of the profile's variant, its partitions filled with the old
// firmware's data. The RedBoot layouts are scaled to the erase size.
bool MakeFlash(const ApplianceProfile &p, SimKernel *k, std::string *error) {
    auto fill = [](Partition &part, uint32_t unit) {
        uint32_t data = part.length > unit ? part.length - unit / 2 : part.length / 2;
        if (part.name == "vendor" || part.name == "RedBoot Config" || part.name == "vorlcfg")
            data = part.length;
        if (part.name == "FIS Directory") return;  // the directory itself
        part.content = OldContent(part.name, data);
    };
    if (p.flash == "msys") {
        if (p.junior) return Fail(error, "the msys layout has no junior variant");
        MsysFlash f = DefaultMsysFlash();
        for (Partition &part : f.partitions)
            fill(part, kMsysBlock);
        k->msys = f;
        return true;
    }
    if (p.flash != "redboot") return Fail(error, "flash must be redboot or msys");
    RedBootFlash f = p.junior ? JuniorFlash() : FullFlash();
    uint64_t num = p.eraseSize, den = f.eraseSize;
    if (num == 0 || (uint64_t(f.flashSize) * num / den) > 0x80000000ull ||
        (uint64_t(f.eraseSize) * num) % den != 0 || (0x10000ull * num) % den != 0)
        return Fail(error, "erase_size must be a power of two from 0x1000 to 0x1000000");
    uint64_t size = uint64_t(f.flashSize) * num / den;
    uint32_t base = static_cast<uint32_t>(0x100000000ull - size);
    for (Partition &part : f.partitions) {
        part.flashBase =
            base + static_cast<uint32_t>(uint64_t(part.flashBase - f.flashBase) * num / den);
        part.length = static_cast<uint32_t>(uint64_t(part.length) * num / den);
        fill(part, p.eraseSize);
    }
    f.flashBase = base;
    f.flashSize = static_cast<uint32_t>(size);
    f.eraseSize = p.eraseSize;
    k->redboot = f;
    return true;
}

// The room a package file's partition has (for an image size of 0).
uint64_t RoomOf(const SimKernel &k, const std::string &file) {
    const std::vector<Partition> &parts = k.msys ? k.msys->partitions : k.redboot->partitions;
    uint32_t unit = k.msys ? kMsysBlock : k.redboot->eraseSize;
    for (const Row &row : kFullRows) {
        if (file != row.file) continue;
        for (const Partition &part : parts) {
            if (part.name == row.name) return part.length - unit;
        }
    }
    return 0;
}

bool BuildKernel(const ApplianceProfile &p, SimKernel *k, std::string *error) {
    if (!MakeFlash(p, k, error)) return false;
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
        uint64_t size = kib ? kib * 1024 : RoomOf(kernel, file);
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
