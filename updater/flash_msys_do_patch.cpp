#include <syslog.h>

#include "core/api_guard.h"
#include "flash.h"
#include "flash_internal.h"

namespace {

uint32_t Blocks(uint32_t bytes) {
    return (bytes + updt::kMsysBlockSize - 1) / updt::kMsysBlockSize;
}

}  // namespace

// The body; the operation below keeps every exception inside.
namespace body {

int UPDTMSysDoPatch(const VORL_FIS_ENTRY *pEntries, int cEntries, int *pfReformatted) {
    if (cEntries < updt::kMsysPartitions || !pEntries || !pfReformatted ||
        gnPatchInfo != updt::kMsysPartitions) {
        syslog(LOG_ERR, "%s(%d): parameter error ", __func__, __LINE__);
        return -1;
    }
    if (UPDTHasNegativeBalance(gPatchInfo, gnPatchInfo)) {
        syslog(LOG_ERR, "%s(%d): NEED RE-PARTITION!!", __func__, __LINE__);
        // A new layout erases the whole flash: every partition must be
        // rewritten, from the package or, without an image, from its backup
        // copy (none in a group update). Refuse before the format otherwise.
        for (int k = 0; k < gnPatchInfo; k++) {
            std::string image = updt::ImagePath(gPatchInfo[k].file);
            if (updt::FileExists(image)) continue;
            if (gblGroupUpdate) {
                syslog(LOG_ERR, "%s(%d): failed to update. [%s] does not exist", __func__, __LINE__,
                       image.c_str());
                return -1;
            }
            std::string backup = updt::BackupPath(updt::EntryName(pEntries[k]).c_str());
            if (!updt::FileExists(backup)) {
                syslog(LOG_ERR, "%s(%d): failed to update. [%s] does not exist", __func__, __LINE__,
                       backup.c_str());
                return -1;
            }
        }
        if (ErrUPDTAdjustPartitionSize(gPatchInfo, gnPatchInfo) < 0) {
            syslog(LOG_ERR, "%s(%d): fail to resize", __func__, __LINE__);
            return -1;
        }
        uint32_t blocks[updt::kMsysPartitions];
        for (int k = 0; k < updt::kMsysPartitions; k++)
            blocks[k] = Blocks(gPatchInfo[k].size);
        if (UPDTMSysFormat(blocks, updt::kMsysPartitions) < 0) {
            syslog(LOG_ERR, "%s(%d): fail to resize", __func__, __LINE__);
            return -1;
        }
        *pfReformatted = 1;
    }
    for (int k = 0; k < gnPatchInfo; k++) {
        const PATCHINFO &row = gPatchInfo[k];
        if (!*pfReformatted && !row.fneedupdate) {
            syslog(LOG_ERR, "%s: skip updating [%s]", __func__, row.name);
            continue;
        }
        std::string source = updt::ImagePath(row.file);
        std::string count;
        if (!updt::FileExists(source)) {
            // The whole old partition was saved; a partition that gave blocks
            // away takes only what fits (its data does, by the balance).
            source = updt::BackupPath(updt::EntryName(pEntries[k]).c_str());
            count = "count=" + std::to_string(Blocks(row.size));
        }
        std::string in = "if=" + source;
        std::string out = "of=/dev/mtd" + std::to_string(k);
        syslog(LOG_ERR, "szCmd=[/bin/dd if=\"%s\" of=\"/dev/mtd%d\" bs=16384%s%s]", source.c_str(),
               k, count.empty() ? "" : " ", count.c_str());
        const char *const dd[] = {
            "/bin/dd", in.c_str(), out.c_str(), "bs=16384", count.empty() ? nullptr : count.c_str(),
            nullptr};
        if (UPDTExecute(dd) != 0) return -1;
        UPDTSetProgress('P', 65 + 5 * k);
        syslog(LOG_ERR, "%s: Finish updating [%s]", __func__, row.name);
    }
    return 0;
}

}  // namespace body

int UPDTMSysDoPatch(const VORL_FIS_ENTRY *pEntries, int cEntries, int *pfReformatted) {
    return vorl::Guard(-1,
                       [&] { return body::UPDTMSysDoPatch(pEntries, cEntries, pfReformatted); });
}
