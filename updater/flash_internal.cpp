#include "flash_internal.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <syslog.h>
#include <unistd.h>

namespace updt {

namespace {
uint64_t gTotal;
uint64_t gProcessed;
int gLastPercent = -1;

void Report() {
    if (gTotal == 0) return;
    int percent = 60 + static_cast<int>(gProcessed * 40 / gTotal);
    if (percent == gLastPercent) return;
    gLastPercent = percent;
    UPDTSetProgress('P', percent);
}
}  // namespace

std::string ImagePath(const char *szFile) {
    return std::string(gszUpdateDir) + "/" + szFile;
}

std::string BackupDir() {
    return std::string(gszUpdateDir) + "/" + UPDT_BACKUP_DIR;
}

std::string BackupPath(const char *szName) {
    return BackupDir() + "/mtd_" + szName;
}

bool FileExists(const std::string &path) {
    return access(path.c_str(), F_OK) == 0;
}

std::string EntryName(const VORL_FIS_ENTRY &e) {
    return std::string(e.szName, strnlen(e.szName, sizeof e.szName));
}

VORL_MTD_FIS_RECORD FisRecord(const char *szName, uint32_t start, uint32_t size, uint32_t datalen) {
    VORL_MTD_FIS_RECORD r;
    memset(&r, 0, sizeof r);
    strncpy(r.szName, szName, sizeof r.szName - 1);
    r.ulFlashBase = start;
    r.ulLength = size;
    r.ulDataLength = datalen;
    return r;
}

int64_t PlanPatchRow(PATCHINFO &row, const VORL_FIS_ENTRY &e, const char *szPart,
                     const char *szFunc, int nLine) {
    struct stat st;
    uint64_t cbData;
    if (stat(ImagePath(row.file).c_str(), &st) != 0) {
        syslog(LOG_ERR, "%s(%d): file [%s] not included in the patch package ", szFunc, nLine,
               row.file);
        cbData = e.ulDataLength;
        row.fneedupdate = 0;
    } else {
        cbData = static_cast<uint64_t>(st.st_size);
        row.fneedupdate = 1;
    }
    row.datalen = static_cast<uint32_t>(cbData);
    row.size = e.ulLength;
    row.start = e.ulFlashBase;
    row.delta = 0;
    int64_t nblock = static_cast<int64_t>((cbData + gEraseBlockSize - 1) / gEraseBlockSize);
    row.balance = static_cast<int32_t>(row.size / gEraseBlockSize - nblock);
    syslog(LOG_ERR,
           "PATCHINFO: %s[%s] file[%s] start = [0x%08X] size[0x%d] datalen=[0x%08X] "
           "nblock[%d] balance[%d] fneedupdate[%d]",
           szPart, row.name, row.file, row.start, static_cast<int>(row.size), row.datalen,
           static_cast<int>(nblock), row.balance, row.fneedupdate);
    return nblock;
}

bool OpenTransfer(Transfer &t, const char *szPath, const char *szDevice, uint64_t cbLength,
                  int cbBlock, int flDevice, int nBuffers, const char *szFunc, int nLine) {
    if (!szPath || !szDevice || cbLength == 0 || cbBlock <= 0) {
        syslog(LOG_ERR, "%s(%d): parameter error", szFunc, nLine);
        return false;
    }
    t.file.reset(open(szPath, O_RDONLY | O_CLOEXEC));
    if (!t.file) {
        syslog(LOG_ERR, "%s:%d(%s) open [%s] error: (%d) %s.", VORL_SRC, nLine, szFunc, szPath,
               errno, strerror(errno));
        return false;
    }
    t.device.reset(open(szDevice, flDevice | O_CLOEXEC));
    if (!t.device) {
        syslog(LOG_ERR, "%s:%d(%s) open [%s] error: (%d) %s.", VORL_SRC, nLine, szFunc, szDevice,
               errno, strerror(errno));
        return false;
    }
    bool allocated = true;
    for (int i = 0; i < nBuffers; i++) {
        t.buffer[i].reset(static_cast<char *>(malloc(static_cast<size_t>(cbBlock))));
        allocated = allocated && t.buffer[i];
    }
    if (!allocated) {
        syslog(LOG_ERR, "%s:%d(%s) malloc [%d] fail: (%d) %s.", VORL_SRC, nLine, szFunc, cbBlock,
               errno, strerror(errno));
        return false;
    }
    return true;
}

void ProgressReset(uint64_t total) {
    gTotal = total;
    gProcessed = 0;
    gLastPercent = -1;
}

void ProgressSet(uint64_t processed) {
    gProcessed = processed;
    Report();
}

void ProgressAdd(uint64_t bytes) {
    gProcessed += bytes;
    Report();
}

}  // namespace updt
