#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <syslog.h>
#include <unistd.h>

#include <vorl/err.h>

#include "core/err_internal.h"
#include "core/raii.h"
#include "flash.h"

namespace {

struct BuiltInEntry {
    const char *name;
    uint32_t flashBase, memBase, length, entryPoint, dataLength;
};

// The FIS directory of a junior unit as it left the factory.
const BuiltInEntry kDirectory[] = {
    {"RedBoot", 0xFFF00000, 0xFFF00000, 0x40000, 0, 0x3A448},
    {"zImage", 0xFFE00000, 0xFFE00000, 0xD0000, 0, 0xC5EDA},
    {"rd.gz", 0xFFF40000, 0xFFF40000, 0xB0000, 0, 0xAEE2C},
    {"vendor", 0xFFED0000, 0xFFED0000, 0x10000, 0, 0x10000},
    {"RedBoot Config", 0xFFEE0000, 0xFFEE0000, 0x10000, 0, 0x10000},
    {"FIS Directory", 0xFFFF0000, 0xFFFF0000, 0x10000, 0, 0x600},
};
constexpr size_t kEntries = sizeof kDirectory / sizeof kDirectory[0];

void PutLe32(unsigned char *p, uint32_t v) {
    for (int i = 0; i < 4; i++)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

void BuildDirectory(unsigned char (&bytes)[kEntries * VORL_FIS_ENTRY_SIZE]) {
    memset(bytes, 0, sizeof bytes);
    for (size_t i = 0; i < kEntries; i++) {
        unsigned char *e = bytes + i * VORL_FIS_ENTRY_SIZE;
        memcpy(e, kDirectory[i].name, strlen(kDirectory[i].name));
        PutLe32(e + 16, kDirectory[i].flashBase);
        PutLe32(e + 20, kDirectory[i].memBase);
        PutLe32(e + 24, kDirectory[i].length);
        PutLe32(e + 28, kDirectory[i].entryPoint);
        PutLe32(e + 32, kDirectory[i].dataLength);
    }
}

int WriteDirectory() {
    if (VORLMTDUnlockPartition(gszDevMtdPartition) < 0) {
        syslog(LOG_ERR, "%s:%d(%s) VORLMTDUnlockPartition(%s) fail", VORL_SRC, __LINE__,
               "RecoverFISDirTable_K7GPlus_V284", gszDevMtdPartition);
        return -1;
    }
    if (VORLMTDErasePartition(gszDevMtdPartition) < 0) {
        syslog(LOG_ERR, "%s:%d(%s) VORLMTDErasePartition(%s) fail", VORL_SRC, __LINE__,
               "RecoverFISDirTable_K7GPlus_V284", gszDevMtdPartition);
        return -1;
    }
    vorl::UniqueFd fd(open(gszDevMtdPartition, O_WRONLY | O_CLOEXEC));
    if (!fd) {
        syslog(LOG_ERR, "%s:%d(%s) open(%s) fail", VORL_SRC, __LINE__,
               "RecoverFISDirTable_K7GPlus_V284", gszDevMtdPartition);
        VORL_ERR(ERR_OPEN_FAILED);
        return -1;
    }
    unsigned char bytes[kEntries * VORL_FIS_ENTRY_SIZE];
    BuildDirectory(bytes);
    size_t done = 0;
    while (done < sizeof bytes) {
        ssize_t n = write(fd.get(), bytes + done, sizeof bytes - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            syslog(LOG_ERR, "%s:%d(%s) write(%s) fail", VORL_SRC, __LINE__,
                   "RecoverFISDirTable_K7GPlus_V284", gszDevMtdPartition);
            VORL_ERR(ERR_WRITE_FAILED);
            return -1;
        }
        done += static_cast<size_t>(n);
    }
    return 0;
}

}  // namespace

int RecoverFISDirTable_K7GPlus_V284(void) {
    int result = WriteDirectory();
    // Whatever happened, the directory partition is locked again.
    VORLMTDLockPartition(gszDevMtdPartition);
    return result;
}
