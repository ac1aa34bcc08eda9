#include "kernel_conf.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>

namespace vorlsim {

namespace {

std::string Trim(const std::string &s) {
    size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return "";
    size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

bool Fail(std::string *error, const std::string &why) {
    if (error) *error = why;
    return false;
}

}  // namespace

void KernelConf::Parse(const std::string &text) {
    values_.clear();
    size_t pos = 0;
    while (pos < text.size()) {
        size_t nl = text.find('\n', pos);
        if (nl == std::string::npos) nl = text.size();
        std::string line = Trim(text.substr(pos, nl - pos));
        pos = nl + 1;
        if (line.empty() || line[0] == '#') continue;
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string key = Trim(line.substr(0, eq));
        std::string value = Trim(line.substr(eq + 1));
        if (value.size() >= 1 && value[0] == '"') {
            size_t close = value.find('"', 1);
            value = value.substr(1, close == std::string::npos ? std::string::npos : close - 1);
        }
        if (!key.empty()) values_[key] = value;
    }
}

std::string KernelConf::Get(const std::string &key, const std::string &def) const {
    auto it = values_.find(key);
    return it == values_.end() ? def : it->second;
}

uint64_t KernelConf::GetNumber(const std::string &key, uint64_t def) const {
    uint64_t v;
    auto it = values_.find(key);
    if (it == values_.end() || !ParseNumber(it->second, &v)) return def;
    return v;
}

bool ParseNumber(const std::string &text, uint64_t *value) {
    std::string t = Trim(text);
    if (t.empty() || t[0] == '-') return false;
    char *end = nullptr;
    errno = 0;
    unsigned long long v = strtoull(t.c_str(), &end, 0);
    if (errno != 0 || !end || *end != '\0') return false;
    *value = v;
    return true;
}

std::vector<std::string> SplitFields(const std::string &text, const char *separators) {
    std::vector<std::string> out;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t next = text.find_first_of(separators, pos);
        if (next == std::string::npos) next = text.size();
        if (next > pos) out.push_back(text.substr(pos, next - pos));
        pos = next + 1;
    }
    return out;
}

bool InitialState(const KernelConf &conf, KernelState *st, std::string *error) {
    memset(st, 0, sizeof *st);
    memcpy(st->magic, kStateMagic, sizeof st->magic);
    st->version = kStateVersion;
    st->fisMtd = -1;
    std::string layout = conf.Get("layout", "none");
    if (layout == "none") return true;
    if (layout == "redboot") {
        st->layout = kLayoutRedBoot;
        st->flashBase = conf.GetNumber("flash_base", 0);
        st->eraseSize = static_cast<uint32_t>(conf.GetNumber("erase_size", 0x10000));
    } else if (layout == "msys") {
        st->layout = kLayoutMsys;
        st->eraseSize = kMsysBlockSize;
    } else {
        return Fail(error, "unknown layout \"" + layout + "\"");
    }
    st->flashSize = conf.GetNumber("flash_size", 0);
    if (st->eraseSize == 0 || st->flashSize == 0 || st->flashSize % st->eraseSize != 0)
        return Fail(error, "flash_size must be a non-zero multiple of the erase size");
    if (st->flashSize / st->eraseSize > kMaxEraseBlocks)
        return Fail(error, "the flash has more erase blocks than the simulator tracks");
    st->eraseBlocks = static_cast<uint32_t>(st->flashSize / st->eraseSize);
    if (conf.Has("fis_mtd")) {
        uint64_t n = conf.GetNumber("fis_mtd", kMaxMtd);
        if (n >= static_cast<uint64_t>(kMaxMtd)) return Fail(error, "fis_mtd out of range");
        st->fisMtd = static_cast<int32_t>(n);
    }

    if (st->layout == kLayoutRedBoot) {
        for (int i = 0; i < kMaxMtd; i++) {
            std::string key = "mtd" + std::to_string(i);
            if (!conf.Has(key)) continue;
            std::vector<std::string> f = SplitFields(conf.Get(key), " \t,");
            uint64_t addr, size;
            if (f.size() != 2 || !ParseNumber(f[0], &addr) || !ParseNumber(f[1], &size))
                return Fail(error, key + " must be \"address size\"");
            if (addr < st->flashBase || addr - st->flashBase + size > st->flashSize)
                return Fail(error, key + " lies outside the flash");
            if ((addr - st->flashBase) % st->eraseSize != 0 || size % st->eraseSize != 0)
                return Fail(error, key + " is not aligned to erase blocks");
            st->mtd[i] = {addr - st->flashBase, size, 1, 0};
        }
    } else {
        st->msysUnits = static_cast<uint32_t>(conf.GetNumber("msys_units", st->eraseBlocks));
        if (st->msysUnits > st->eraseBlocks) return Fail(error, "msys_units exceed the flash");
        std::vector<std::string> f = SplitFields(conf.Get("msys_blocks"), " \t,");
        if (f.size() != static_cast<size_t>(kMaxMtd))
            return Fail(error, "msys_blocks must list 8 block counts");
        uint64_t offset = 0;
        for (int i = 0; i < kMaxMtd; i++) {
            uint64_t blocks;
            if (!ParseNumber(f[i], &blocks)) return Fail(error, "bad block count in msys_blocks");
            st->mtd[i] = {offset, blocks * kMsysBlockSize, 1, 0};
            offset += blocks * kMsysBlockSize;
        }
        if (offset > static_cast<uint64_t>(st->msysUnits) * kMsysBlockSize)
            return Fail(error, "msys_blocks exceed msys_units");
    }

    for (const std::string &d : SplitFields(conf.Get("locked"), " \t,")) {
        uint64_t n;
        if (!ParseNumber(d, &n) || n >= static_cast<uint64_t>(kMaxMtd) || !st->mtd[n].present)
            return Fail(error, "locked names an unknown device \"" + d + "\"");
        const MtdWindow &w = st->mtd[n];
        for (uint64_t b = w.offset / st->eraseSize; b < (w.offset + w.size) / st->eraseSize; b++)
            st->locked[b] = 1;
    }
    return true;
}

}  // namespace vorlsim
