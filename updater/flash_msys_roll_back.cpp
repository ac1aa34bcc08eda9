#include <syslog.h>

#include "core/api_guard.h"
#include "flash.h"
#include "flash_internal.h"

// The body; the operation below keeps every exception inside.
namespace body {

int UPDTMSysRollBack(const VORL_FIS_ENTRY *pEntries, int cEntries, int fReformatted) {
    if (cEntries < updt::kMsysPartitions || !pEntries || gEraseBlockSize == 0) {
        syslog(LOG_ERR, "%s(%d): parameter error ", __func__, __LINE__);
        gblRollBackFailed = 1;
        return -1;
    }
    if (fReformatted == 1) {
        uint32_t blocks[updt::kMsysPartitions];
        for (int k = 0; k < updt::kMsysPartitions; k++)
            blocks[k] = (pEntries[k].ulLength + gEraseBlockSize - 1) / gEraseBlockSize;
        if (UPDTMSysFormat(blocks, updt::kMsysPartitions) < 0) {
            // Without the old layout, writing the old data would land in the
            // wrong places: stop here and keep the backup.
            syslog(LOG_ERR, "%s(%d): fail to resize", __func__, __LINE__);
            gblRollBackFailed = 1;
            syslog(LOG_ERR, "%s(%d): roll-back incomplete, the old partitions are kept in %s/%s",
                   __func__, __LINE__, gszUpdateDir, UPDT_BACKUP_DIR);
            return -1;
        }
    }
    bool failed = false;
    for (int k = 0; k < updt::kMsysPartitions; k++) {
        std::string name = updt::EntryName(pEntries[k]);
        std::string in = "if=" + updt::BackupPath(name.c_str());
        std::string out = "of=/dev/mtd" + std::to_string(k);
        syslog(LOG_ERR, "%s(%d): command=[/bin/dd if=\"%s/%s/mtd_%s\" of=\"/dev/mtd%d\" bs=16384]",
               __func__, __LINE__, gszUpdateDir, UPDT_BACKUP_DIR, name.c_str(), k);
        const char *const dd[] = {"/bin/dd", in.c_str(), out.c_str(), "bs=16384", nullptr};
        if (UPDTExecute(dd) != 0) {
            syslog(LOG_ERR, "%s(%d): fail to recover [%s]", __func__, __LINE__, name.c_str());
            failed = true;  // the other partitions are still worth restoring
            continue;
        }
        UPDTSetProgress('P', 65 + 5 * k);
        syslog(LOG_ERR, "%s: Finish updating [%s]", __func__, name.c_str());
    }
    if (!failed) return 0;
    gblRollBackFailed = 1;
    syslog(LOG_ERR, "%s(%d): roll-back incomplete, the old partitions are kept in %s/%s", __func__,
           __LINE__, gszUpdateDir, UPDT_BACKUP_DIR);
    return -1;
}

}  // namespace body

int UPDTMSysRollBack(const VORL_FIS_ENTRY *pEntries, int cEntries, int fReformatted) {
    return vorl::Guard(-1,
                       [&] { return body::UPDTMSysRollBack(pEntries, cEntries, fReformatted); });
}
