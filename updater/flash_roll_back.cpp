#include <syslog.h>

#include "core/api_guard.h"
#include "flash.h"
#include "flash_internal.h"

int gblRollBackFailed;

namespace {

// Restores one planned partition; false (logged) when a step failed.
bool RestoreRow(int r, const VORL_FIS_ENTRY *pEntries, int cEntries) {
    const PATCHINFO &row = gPatchInfo[r];
    int idx = GetIdxByName(row.name, pEntries, cEntries);
    if (idx < 0) {
        syslog(LOG_ERR, "%s(%d): get idx of partition %d [%s] fail", "UPDTRollBack", __LINE__, r,
               row.name);
        return false;
    }
    const VORL_FIS_ENTRY &old = pEntries[idx];
    const char *szDevice = SzUPDTGetDeviceByName(row.name);
    if (!szDevice) {
        syslog(LOG_ERR, "%s(%d): fail to get device path", "UPDTRollBack", __LINE__);
        return false;
    }
    if (VORLMTDModifyPartitionSize(szDevice, old.ulFlashBase, old.ulLength) < 0) {
        syslog(LOG_ERR, "%s: VORLMTDModifyPartitionSize() fail", "UPDTRollBack");
        return false;
    }
    if (VORLMTDUnlockPartition(szDevice) < 0) {
        syslog(LOG_ERR, "%s: unlock [%s] fail", "UPDTRollBack", szDevice);
        return false;
    }
    syslog(LOG_ERR, "%s:%d(%s) VORLMTDErasePartition(%s)...", VORL_SRC, __LINE__, "UPDTRollBack",
           szDevice);
    if (VORLMTDErasePartition(szDevice) < 0) {
        syslog(LOG_ERR, "%s: VORLMTDErasePartition() fail", "UPDTRollBack");
        return false;
    }
    std::string in = "if=" + updt::BackupPath(row.name);
    std::string out = std::string("of=") + szDevice;
    syslog(LOG_ERR, "%s(%d): command=[/bin/dd if=\"%s/%s/mtd_%s\" of=\"%s\" bs=131072]",
           "UPDTRollBack", __LINE__, gszUpdateDir, UPDT_BACKUP_DIR, row.name, szDevice);
    const char *const dd[] = {"/bin/dd", in.c_str(), out.c_str(), "bs=131072", nullptr};
    if (UPDTExecute(dd) != 0) return false;
    VORL_MTD_FIS_RECORD rec = updt::FisRecord(updt::EntryName(old).c_str(), old.ulFlashBase,
                                              old.ulLength, old.ulDataLength);
    if (VORLMTDModifyFISEntry(gszDevMtdPartition, &rec) < 0) {
        syslog(LOG_ERR, "%s: VORLMTDModifyFISEntry() fail", "UPDTRollBack");
        return false;
    }
    return true;
}

}  // namespace

int UPDTRollBack(const VORL_FIS_ENTRY *pEntries, int cEntries) {
    if (cEntries < 1 || !pEntries) {
        syslog(LOG_ERR, "%s(%d): parameter error ", __func__, __LINE__);
        gblRollBackFailed = 1;
        return -1;
    }
    // A partition that cannot be restored does not stop the others.
    bool failed = false;
    for (int r = 0; r < gnPatchInfo; r++) {
        if (!gPatchInfo[r].fneedupdate) {
            syslog(LOG_ERR, "%s: skip recoverying [%s]", __func__, gPatchInfo[r].name);
            continue;
        }
        bool ok = vorl::Guard(false, [&] { return RestoreRow(r, pEntries, cEntries); });
        if (!ok) {
            syslog(LOG_ERR, "%s(%d): fail to recover [%s]", __func__, __LINE__, gPatchInfo[r].name);
            failed = true;
        }
    }
    if (!failed) return 0;
    gblRollBackFailed = 1;
    syslog(LOG_ERR, "%s(%d): roll-back incomplete, the old partitions are kept in %s/%s", __func__,
           __LINE__, gszUpdateDir, UPDT_BACKUP_DIR);
    return -1;
}
