#include <sys/stat.h>
#include <syslog.h>

#include "core/api_guard.h"
#include "flash.h"
#include "flash_internal.h"

// The body; the operation below keeps every exception inside.
namespace body {

int UPDTMSysInitPatchInfo(const VORL_FIS_ENTRY *pEntries, int cEntries) {
    if (cEntries < 1 || !pEntries || cEntries < gnPatchInfo) {
        syslog(LOG_ERR, "%s(%d): parameter error ", __func__, __LINE__);
        return -1;
    }
    gEraseBlockSize = updt::kMsysBlockSize;
    syslog(LOG_ERR, "Available flash units = %d blocks, eraseblock = %d bytes",
           static_cast<int>(updt::kMsysUnits), static_cast<int>(updt::kMsysBlockSize));
    int64_t total = 0;
    for (int k = 0; k < gnPatchInfo; k++) {
        PATCHINFO &row = gPatchInfo[k];
        const VORL_FIS_ENTRY &e = pEntries[k];
        struct stat st;
        uint64_t cbData;
        if (stat(updt::ImagePath(row.file).c_str(), &st) != 0) {
            syslog(LOG_ERR, "%s(%d): file [%s] not included in the patch package ", __func__,
                   __LINE__, row.file);
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
        total += nblock;
        syslog(LOG_ERR,
               "PATCHINFO: partition[%s] file[%s] start = [0x%08X] size[0x%d] datalen=[0x%08X] "
               "nblock[%d] balance[%d] fneedupdate[%d]",
               row.name, row.file, row.start, static_cast<int>(row.size), row.datalen,
               static_cast<int>(nblock), row.balance, row.fneedupdate);
    }
    if (total < static_cast<int64_t>(updt::kMsysUnits) + 1) return 0;
    syslog(LOG_ERR, "%s(%d): the binary size exceeds flash size limit(total = %d blocks)", __func__,
           __LINE__, static_cast<int>(total));
    return -1;
}

}  // namespace body

int UPDTMSysInitPatchInfo(const VORL_FIS_ENTRY *pEntries, int cEntries) {
    return vorl::Guard(-1, [&] { return body::UPDTMSysInitPatchInfo(pEntries, cEntries); });
}
