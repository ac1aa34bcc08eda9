#include <string.h>
#include <syslog.h>

#include "core/api_guard.h"
#include "flash.h"
#include "flash_internal.h"

// The body; the operation below keeps every exception inside.
namespace body {

int UPDTInitPatchInfo(const VORL_FIS_ENTRY *pEntries, int cEntries) {
    if (cEntries < 1 || !pEntries) {
        syslog(LOG_ERR, "%s(%d): parameter error ", __func__, __LINE__);
        return -1;
    }
    const char *szFisDevice = SzUPDTGetDeviceByName("FIS Directory");
    unsigned char info[VORL_MTD_INFO_SIZE];
    if (!szFisDevice || VORLMTDGetDeviceInfo(szFisDevice, info, sizeof info) < 0) {
        syslog(LOG_ERR, "%s(%d): fail to get device info", __func__, __LINE__);
        return -1;
    }
    // mtd_info_user: type (1 byte, padded to 4), flags, size, erasesize.
    uint32_t erasesize;
    memcpy(&erasesize, info + 12, sizeof erasesize);
    gEraseBlockSize = erasesize;
    if (gEraseBlockSize == 0) {
        syslog(LOG_ERR, "%s(%d): gEraseBlockSize == 0", __func__, __LINE__);
        return -1;
    }

    // The flash runs from the kernel to the end of the FIS directory partition.
    unsigned long ulAddrMtd0 = 0, ulAddrMtd7 = 0, ulSizeMtd7 = 0;
    for (int i = 0; i < cEntries; i++) {
        std::string name = updt::EntryName(pEntries[i]);
        if (name == "zImage") ulAddrMtd0 = pEntries[i].ulFlashBase;
        if (name == "FIS Directory") {
            ulAddrMtd7 = pEntries[i].ulFlashBase;
            ulSizeMtd7 = pEntries[i].ulLength;
        }
    }
    if (!(ulAddrMtd7 > ulAddrMtd0 && ulSizeMtd7 != 0)) {
        syslog(LOG_ERR, "%s(%d): ulAddrMtd7 = %lx, ulAddrMtd0 = %lx, ulSizeMtd7 = %lx", __func__,
               __LINE__, ulAddrMtd7, ulAddrMtd0, ulSizeMtd7);
        syslog(LOG_ERR, "%s(%d): flashsize == 0", __func__, __LINE__);
        return -1;
    }
    uint64_t flashsize = ulAddrMtd7 + ulSizeMtd7 - ulAddrMtd0;
    if (flashsize == 0) {
        syslog(LOG_ERR, "%s(%d): flashsize == 0", __func__, __LINE__);
        return -1;
    }
    syslog(LOG_ERR, "flashsize = 0x%08X, eraseblock = 0x%08X", static_cast<unsigned>(flashsize),
           gEraseBlockSize);

    int64_t total = 0;
    for (int r = 0; r < gnPatchInfo; r++) {
        PATCHINFO &row = gPatchInfo[r];
        int idx = GetIdxByName(row.name, pEntries, cEntries);
        if (idx < 0) {
            syslog(LOG_ERR, "%s(%d): get idx of partition %d [%s] fail", __func__, __LINE__, r,
                   row.name);
            return -1;
        }
        total += updt::PlanPatchRow(row, pEntries[idx], "part", __func__, __LINE__);
    }
    if (static_cast<int64_t>(flashsize / gEraseBlockSize) >= total) return 0;
    syslog(LOG_ERR, "%s(%d): the binary size exceeds flash size limit(total = %d)", __func__,
           __LINE__, static_cast<int>(total));
    return -1;
}

}  // namespace body

int UPDTInitPatchInfo(const VORL_FIS_ENTRY *pEntries, int cEntries) {
    return vorl::Guard(-1, [&] { return body::UPDTInitPatchInfo(pEntries, cEntries); });
}
