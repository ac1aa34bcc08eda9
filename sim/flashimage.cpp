#include "flashimage.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace vorlsim {

namespace fs = std::filesystem;

namespace {

bool Fail(std::string *error, const std::string &why) {
    if (error) *error = why;
    return false;
}

std::string Hex(uint64_t v) {
    char buf[32];
    snprintf(buf, sizeof buf, "0x%llX", static_cast<unsigned long long>(v));
    return buf;
}

void PutLe32(std::string &s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; i++)
        s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

uint32_t GetLe32(const std::string &s, size_t at) {
    uint32_t v = 0;
    for (int i = 0; i < 4; i++)
        v |= static_cast<uint32_t>(static_cast<uint8_t>(s[at + i])) << (8 * i);
    return v;
}

std::string In(const std::string &root, const std::string &path) {
    return root.empty() || root == "/" ? path : root + path;
}

bool ReadWhole(const std::string &path, std::string *out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    *out = ss.str();
    return true;
}

// Writes through a temporary file and a rename, so that a reader sees the old
// or the new file, and a new file identity.
bool WriteReplace(const std::string &path, const std::string &content, std::string *error) {
    std::error_code ec;
    fs::create_directories(fs::path(path).parent_path(), ec);
    std::string tmp = path + ".new";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out << content;
        out.close();
        if (!out) return Fail(error, "cannot write " + tmp);
    }
    if (rename(tmp.c_str(), path.c_str()) != 0) return Fail(error, "cannot rename " + tmp);
    return true;
}

bool WriteInPlace(const std::string &path, const std::string &content, std::string *error) {
    std::error_code ec;
    fs::create_directories(fs::path(path).parent_path(), ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    out.close();
    if (!out) return Fail(error, "cannot write " + path);
    return true;
}

std::string ConfLine(const std::string &key, const std::string &value) {
    return key + "=\"" + value + "\"\n";
}

bool BuildRedBoot(const RedBootFlash &f, std::string *flash, std::string *conf,
                  std::string *error) {
    if (f.eraseSize == 0 || f.flashSize == 0 || f.flashSize % f.eraseSize)
        return Fail(error, "the flash size must be a multiple of the erase size");
    flash->assign(f.flashSize, '\xFF');
    std::vector<FisEntry> entries;
    std::string locked;
    const Partition *dir = nullptr;
    int fisMtd = -1;
    for (const Partition &p : f.partitions) {
        uint64_t off = static_cast<uint64_t>(p.flashBase) - f.flashBase;
        if (p.flashBase < f.flashBase || off + p.length > f.flashSize)
            return Fail(error, "partition " + p.name + " lies outside the flash");
        if (p.content.size() > p.length)
            return Fail(error, "the content of " + p.name + " exceeds its length");
        flash->replace(off, p.content.size(), p.content);
        if (!p.name.empty()) {
            FisEntry e;
            e.name = p.name;
            e.flashBase = p.flashBase;
            e.memBase = p.memBase < 0 ? p.flashBase : static_cast<uint32_t>(p.memBase);
            e.length = p.length;
            e.dataLength = p.dataLength < 0 ? static_cast<uint32_t>(p.content.size())
                                            : static_cast<uint32_t>(p.dataLength);
            entries.push_back(e);
        }
        if (p.mtd >= 0) {
            if (p.mtd >= kMaxMtd) return Fail(error, "partition " + p.name + ": no such mtd");
            if (off % f.eraseSize || p.length % f.eraseSize)
                return Fail(error, "partition " + p.name + " is not aligned to erase blocks");
            *conf += ConfLine(std::string("mtd") + std::to_string(p.mtd),
                              Hex(p.flashBase) + " " + Hex(p.length));
            if (p.locked) locked += std::string(locked.empty() ? "" : " ") + std::to_string(p.mtd);
        }
        if (p.name == f.fisPartition) {
            dir = &p;
            fisMtd = p.mtd;
        }
    }
    if (f.writeDirectory && dir) {
        std::string bytes = EncodeFisDirectory(entries);
        if (bytes.size() > dir->length) return Fail(error, "the FIS directory does not fit");
        flash->replace(static_cast<uint64_t>(dir->flashBase) - f.flashBase, bytes.size(), bytes);
    }
    *conf = ConfLine("layout", "redboot") + ConfLine("flash_base", Hex(f.flashBase)) +
            ConfLine("flash_size", Hex(f.flashSize)) + ConfLine("erase_size", Hex(f.eraseSize)) +
            (fisMtd >= 0 ? ConfLine("fis_mtd", std::to_string(fisMtd)) : "") + *conf +
            ConfLine("locked", locked);
    return true;
}

bool BuildMsys(const MsysFlash &f, std::string *flash, std::string *conf, std::string *error) {
    if (f.partitions.size() != static_cast<size_t>(kMaxMtd))
        return Fail(error, "the msys layout has exactly 8 partitions");
    flash->assign(static_cast<size_t>(f.units) * kMsysBlockSize, '\xFF');
    std::string blocks, locked;
    uint64_t off = 0;
    for (int i = 0; i < kMaxMtd; i++) {
        const Partition &p = f.partitions[i];
        if (p.length % kMsysBlockSize) return Fail(error, p.name + ": not a multiple of 16384");
        if (p.content.size() > p.length || off + p.length > flash->size())
            return Fail(error, p.name + " does not fit");
        flash->replace(off, p.content.size(), p.content);
        blocks += std::string(i ? " " : "") + std::to_string(p.length / kMsysBlockSize);
        off += p.length;
    }
    *conf = ConfLine("layout", "msys") + ConfLine("flash_size", Hex(flash->size())) +
            ConfLine("msys_units", std::to_string(f.units)) + ConfLine("msys_blocks", blocks);
    return true;
}

}  // namespace

bool operator==(const FisEntry &a, const FisEntry &b) {
    return a.name == b.name && a.flashBase == b.flashBase && a.memBase == b.memBase &&
           a.length == b.length && a.entryPoint == b.entryPoint && a.dataLength == b.dataLength;
}

std::string EncodeFisEntry(const FisEntry &e) {
    std::string s(256, '\0');
    s.replace(0, e.name.size() < 16 ? e.name.size() : 15, e.name.substr(0, 15));
    PutLe32(s, 16, e.flashBase);
    PutLe32(s, 20, e.memBase);
    PutLe32(s, 24, e.length);
    PutLe32(s, 28, e.entryPoint);
    PutLe32(s, 32, e.dataLength);
    return s;
}

std::string EncodeFisDirectory(const std::vector<FisEntry> &entries) {
    std::string s;
    for (const FisEntry &e : entries)
        s += EncodeFisEntry(e);
    return s;
}

std::vector<FisEntry> DecodeFisDirectory(const std::string &bytes) {
    std::vector<FisEntry> out;
    for (size_t pos = 0; pos + 256 <= bytes.size(); pos += 256) {
        if (static_cast<uint8_t>(bytes[pos]) == 0xFF) break;
        FisEntry e;
        e.name = std::string(bytes.data() + pos, strnlen(bytes.data() + pos, 16));
        e.flashBase = GetLe32(bytes, pos + 16);
        e.memBase = GetLe32(bytes, pos + 20);
        e.length = GetLe32(bytes, pos + 24);
        e.entryPoint = GetLe32(bytes, pos + 28);
        e.dataLength = GetLe32(bytes, pos + 32);
        out.push_back(e);
    }
    return out;
}

RedBootFlash JuniorFlash() {
    RedBootFlash f;
    f.flashBase = 0xFFE00000;
    f.flashSize = 0x200000;
    f.eraseSize = 0x10000;
    f.partitions = {
        {"RedBoot", 0, 0xFFF00000, 0x40000, "", -1, -1, true},
        {"zImage", 1, 0xFFE00000, 0xD0000, "", -1, -1, true},
        {"rd.gz", 2, 0xFFF40000, 0xB0000, "", -1, -1, true},
        {"vendor", 3, 0xFFED0000, 0x10000, "", -1, -1, true},
        {"RedBoot Config", 4, 0xFFEE0000, 0x10000, "", -1, -1, true},
        {"FIS Directory", 5, 0xFFFF0000, 0x10000, "", -1, -1, true},
    };
    return f;
}

RedBootFlash FullFlash() {
    RedBootFlash f;
    f.flashBase = 0xFF800000;
    f.flashSize = 0x800000;
    f.eraseSize = 0x10000;
    f.partitions = {
        {"RedBoot", 0, 0xFF800000, 0x40000, "", -1, -1, true},
        {"zImage", 1, 0xFF840000, 0x200000, "", -1, -1, true},
        {"rd.gz", 2, 0xFFA40000, 0x300000, "", -1, -1, true},
        {"AllLib.tgz", 3, 0xFFD40000, 0x280000, "", -1, -1, true},
        {"vendor", 4, 0xFFFC0000, 0x10000, "", -1, -1, true},
        {"vorlcfg", 5, 0xFFFD0000, 0x10000, "", -1, -1, true},
        {"RedBoot Config", 6, 0xFFFE0000, 0x10000, "", -1, -1, true},
        {"FIS Directory", 7, 0xFFFF0000, 0x10000, "", -1, -1, true},
    };
    return f;
}

MsysFlash DefaultMsysFlash() {
    MsysFlash f;
    f.units = 967;
    const char *names[kMaxMtd] = {"RedBoot", "zImage",  "rd.gz",          "AllLib.tgz",
                                  "vendor",  "vorlcfg", "RedBoot Config", "FIS Directory"};
    const uint32_t blocks[kMaxMtd] = {16, 128, 192, 160, 4, 4, 4, 4};
    for (int i = 0; i < kMaxMtd; i++)
        f.partitions.push_back({names[i], i, 0, blocks[i] * kMsysBlockSize, "", -1, -1, false});
    return f;
}

Partition *FindPartition(std::vector<Partition> &partitions, const std::string &name) {
    for (Partition &p : partitions)
        if (p.name == name) return &p;
    return nullptr;
}

std::string PatternBytes(size_t n, uint32_t seed) {
    std::string s(n, '\0');
    uint32_t x = seed * 2654435761u + 0x9E3779B9u;
    for (size_t i = 0; i < n; i++) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        s[i] = static_cast<char>(x % 255);  // never 0xFF
    }
    return s;
}

std::string KernelConfPath() {
    const char *env = getenv(kConfEnv);
    return env && *env ? env : kDefaultConfPath;
}

bool InstallKernel(const std::string &root, const SimKernel &k, std::string *error) {
    std::string flash, conf;
    if (k.redboot && k.msys) return Fail(error, "one flash layout at a time");
    if (k.redboot && !BuildRedBoot(*k.redboot, &flash, &conf, error)) return false;
    if (k.msys && !BuildMsys(*k.msys, &flash, &conf, error)) return false;
    if (!k.redboot && !k.msys) conf = ConfLine("layout", "none");
    conf = "# The simulated appliance kernel (see sim/README.md).\n" + conf +
           ConfLine("flash_file", kDefaultFlashPath) + ConfLine("dev_dir", kDefaultDevDir) +
           ConfLine("state_file", kDefaultStatePath);
    conf += ConfLine("syscall_401", k.syscall401);
    if (k.syscall401Value)
        conf += ConfLine("syscall_401_value", std::to_string(*k.syscall401Value));
    conf += ConfLine("syscall_405", k.syscall405);
    if (!k.syscall405Release.empty()) conf += ConfLine("syscall_405_release", k.syscall405Release);
    if (k.uptime) conf += ConfLine("uptime", std::to_string(*k.uptime));
    std::string statfs;
    for (const auto &[path, bytes] : k.statfsFree)
        statfs += std::string(statfs.empty() ? "" : ",") + path + ":" + std::to_string(bytes);
    if (!statfs.empty()) conf += ConfLine("statfs_free", statfs);
    for (const auto &[op, rule] : k.faults)
        conf += ConfLine("fault_" + op, rule);

    // Placeholders that exist stay (the same files, the same identities).
    std::error_code ec;
    fs::create_directories(In(root, kDefaultDevDir), ec);
    auto touch = [&](const std::string &name) {
        std::string path = In(root, std::string(kDefaultDevDir) + "/" + name);
        return fs::exists(path, ec) || WriteInPlace(path, "", error);
    };
    if (k.redboot)
        for (const Partition &p : k.redboot->partitions)
            if (p.mtd >= 0 && !touch(std::string("mtd") + std::to_string(p.mtd))) return false;
    if (k.msys)
        for (int i = 0; i < kMaxMtd; i++)
            if (!touch(std::string("mtd") + std::to_string(i))) return false;
    for (const MdArray &a : k.arrays) {
        std::string md = std::string("md") + std::to_string(a.number);
        if (!touch(md)) return false;
        if (!a.known) continue;
        std::string faulty;
        for (size_t i = 0; i < a.members.size(); i++)
            if (a.members[i].state.find("faulty") != std::string::npos)
                faulty += std::string(faulty.empty() ? "" : ",") + std::to_string(i);
        conf += ConfLine(
            md, "level=" + std::to_string(a.level) + " raid_disks=" + std::to_string(a.raidDisks) +
                    " nr_disks=" + std::to_string(a.members.size()) +
                    " size_kib=" + std::to_string(a.sizeKib) +
                    " bytes=" + std::to_string(a.bytes ? a.bytes : a.sizeKib * 1024) + " rebuild=" +
                    std::to_string(a.rebuild[0]) + "," + std::to_string(a.rebuild[1]) + "," +
                    std::to_string(a.rebuild[2]) + (faulty.empty() ? "" : " faulty=" + faulty));
        std::string sys = In(root, "/sys/block/" + md + "/md");
        fs::remove_all(sys, ec);
        for (const MdMember &m : a.members) {
            std::string dir = sys + "/dev-" + m.name;
            if (!WriteInPlace(dir + "/state", m.state + "\n", error) ||
                !WriteInPlace(dir + "/slot", m.slot + "\n", error))
                return false;
        }
    }
    for (const auto &[key, value] : k.extra)
        conf += ConfLine(key, value);

    // Validate the configuration as the kernel will read it.
    KernelConf parsed;
    parsed.Parse(conf);
    auto st = std::make_unique<KernelState>();
    if (!InitialState(parsed, st.get(), error)) return false;

    if (!flash.empty() && !WriteInPlace(In(root, kDefaultFlashPath), flash, error)) return false;
    if (!ResetKernelState(root)) return Fail(error, "cannot remove the old kernel state");
    return WriteReplace(In(root, KernelConfPath()), conf, error);
}

bool SetKernelConf(const std::string &root, const std::string &key, const std::string &value,
                   std::string *error) {
    std::string path = In(root, KernelConfPath()), text, out;
    if (!ReadWhole(path, &text)) return Fail(error, "cannot read " + path);
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        size_t eq = line.find('=');
        std::string k = eq == std::string::npos ? "" : line.substr(0, eq);
        while (!k.empty() && (k.back() == ' ' || k.back() == '\t'))
            k.pop_back();
        if (k == key) continue;
        out += line + "\n";
    }
    if (!value.empty()) out += ConfLine(key, value);
    return WriteReplace(path, out, error);
}

bool ResetKernelState(const std::string &root) {
    KernelConf conf;
    std::string text;
    if (ReadWhole(In(root, KernelConfPath()), &text)) conf.Parse(text);
    std::string path = In(root, conf.Get("state_file", kDefaultStatePath));
    return unlink(path.c_str()) == 0 || errno == ENOENT;
}

FlashSnapshot::FlashSnapshot() : state_(std::make_unique<KernelState>()) {}

std::string FlashSnapshot::Partition(int mtd) const {
    const MtdWindow &w = state_->mtd[mtd];
    if (!w.present || w.offset >= flash_.size()) return "";
    return flash_.substr(w.offset, w.size);
}

bool FlashSnapshot::Locked(int mtd) const {
    const MtdWindow &w = state_->mtd[mtd];
    if (!w.present || w.size == 0) return false;
    for (uint64_t b = w.offset / state_->eraseSize; b < (w.offset + w.size) / state_->eraseSize;
         b++)
        if (!state_->locked[b]) return false;
    return true;
}

bool FlashSnapshot::AnyLocked(int mtd) const {
    const MtdWindow &w = state_->mtd[mtd];
    if (!w.present) return false;
    for (uint64_t b = w.offset / state_->eraseSize; b < (w.offset + w.size) / state_->eraseSize;
         b++)
        if (state_->locked[b]) return true;
    return false;
}

std::vector<FisEntry> FlashSnapshot::Fis() const {
    if (state_->fisMtd < 0) return {};
    return DecodeFisDirectory(Partition(state_->fisMtd));
}

uint64_t FlashSnapshot::Count(Op op, int mtd) const {
    return state_->counters[op][mtd < 0 ? kMaxMtd : mtd];
}

bool ReadFlash(const std::string &root, FlashSnapshot *snap, std::string *error) {
    std::string text, state;
    if (!ReadWhole(In(root, KernelConfPath()), &text))
        return Fail(error, "no kernel configuration in " + root);
    KernelConf conf;
    conf.Parse(text);
    if (ReadWhole(In(root, conf.Get("state_file", kDefaultStatePath)), &state) &&
        state.size() == sizeof(KernelState) &&
        memcmp(state.data(), kStateMagic, sizeof kStateMagic) == 0) {
        memcpy(snap->state_.get(), state.data(), sizeof(KernelState));
        if (snap->state_->version != kStateVersion) return Fail(error, "old kernel state file");
    } else if (!InitialState(conf, snap->state_.get(), error)) {
        return false;
    }
    snap->flash_.clear();
    if (snap->state_->layout != kLayoutNone &&
        !ReadWhole(In(root, conf.Get("flash_file", kDefaultFlashPath)), &snap->flash_))
        return Fail(error, "cannot read the flash file");
    return true;
}

}  // namespace vorlsim
