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
        total += updt::PlanPatchRow(gPatchInfo[k], pEntries[k], "partition", __func__, __LINE__);
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
