#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <syslog.h>
#include <unistd.h>

#include <vorl/mtd.h>

#include "core/err_internal.h"
#include "core/raii.h"

namespace {

// Reads a whole entry, going on after short reads; answers the bytes read
// (fewer only at the end of the device) or -1.
ssize_t ReadEntry(int fd, unsigned char *entry) {
    size_t got = 0;
    while (got < VORL_FIS_ENTRY_SIZE) {
        ssize_t n = read(fd, entry + got, VORL_FIS_ENTRY_SIZE - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(got);
}

}  // namespace

int VORLMTDGetPartitionInfo(const char *szDevice, void *pBuffer, int cbBuffer, int *pcbEntries) {
    if (!szDevice || !pcbEntries || (pBuffer && cbBuffer < 1)) {
        syslog(LOG_ERR, "%s(%d): parameter error", __func__, __LINE__);
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    vorl::UniqueFd fd(open(szDevice, O_RDONLY | O_CLOEXEC));
    if (!fd) {
        syslog(LOG_ERR, "%s(%d): fail to open mtd device, errno = %d", __func__, __LINE__, errno);
        VORL_ERR(ERR_OPEN_FAILED);
        return -1;
    }
    auto *out = static_cast<unsigned char *>(pBuffer);
    int count = 0;
    for (;;) {
        unsigned char entry[VORL_FIS_ENTRY_SIZE];
        memset(entry, 0, sizeof entry);
        errno = 0;
        if (ReadEntry(fd.get(), entry) != VORL_FIS_ENTRY_SIZE) {
            // The device ended (or failed) before the erased entry that ends
            // the directory: no partial list.
            syslog(LOG_ERR, "%s(%d): failed to read from %s(errno = %d)", __func__, __LINE__,
                   szDevice, errno);
            VORL_ERR(ERR_READ_FAILED);
            return -1;
        }
        if (entry[0] == 0xFF) {
            *pcbEntries = count * VORL_FIS_ENTRY_SIZE;
            return count;
        }
        if (out) {
            if (static_cast<long>(count + 1) * VORL_FIS_ENTRY_SIZE > cbBuffer) {
                syslog(LOG_ERR, "%s(%d): not enough memory", __func__, __LINE__);
                VORL_ERR(ERR_BUFFER_TOO_SMALL);
                return -1;
            }
            memcpy(out + static_cast<size_t>(count) * VORL_FIS_ENTRY_SIZE, entry, sizeof entry);
        }
        count++;
    }
}
