#include <syslog.h>

#include <vector>

#include "core/api_guard.h"
#include "flash.h"
#include "flash_internal.h"

namespace {

// Where each partition to rewrite takes its data from: the package's image,
// or, for a partition that balancing moved or resized while the package has
// no image for it, its backup copy. Answers false (logged) before anything is
// erased when a source is missing: in a group update there is no backup.
bool ChooseSources(std::vector<std::string> *sources) {
    sources->assign(static_cast<size_t>(gnPatchInfo), std::string());
    for (int r = 0; r < gnPatchInfo; r++) {
        const PATCHINFO &row = gPatchInfo[r];
        if (!row.fneedupdate) continue;
        std::string image = updt::ImagePath(row.file);
        if (updt::FileExists(image)) {
            (*sources)[r] = image;
            continue;
        }
        std::string backup = updt::BackupPath(row.name);
        if (gblGroupUpdate || !updt::FileExists(backup)) {
            syslog(LOG_ERR,
                   "%s(%d): [%s] must move but neither its image [%s] nor a backup copy exists",
                   __func__, __LINE__, row.name, row.file);
            return false;
        }
        syslog(LOG_ERR, "%s(%d): [%s] is rewritten from its backup copy [%s]", __func__, __LINE__,
               row.name, backup.c_str());
        (*sources)[r] = backup;
    }
    return true;
}

}  // namespace

// The body; the operation below keeps every exception inside.
namespace body {

int UPDTDoPatch(const VORL_FIS_ENTRY *pEntries, int cEntries) {
    if (cEntries < 1 || !pEntries) {
        syslog(LOG_ERR, "%s(%d): parameter error ", __func__, __LINE__);
        return -1;
    }
    if (UPDTHasNegativeBalance(gPatchInfo, gnPatchInfo)) {
        syslog(LOG_ERR, "%s(%d): NEED RESIZE THE PARTITION", __func__, __LINE__);
        if (ErrUPDTAdjustPartitionSize(gPatchInfo, gnPatchInfo) < 0) {
            syslog(LOG_ERR, "%s(%d): fail to resize", __func__, __LINE__);
            return -1;
        }
        if (UPDTCheckPlanLayout(gPatchInfo, gnPatchInfo, pEntries, cEntries) < 0) {
            syslog(LOG_ERR, "%s(%d): fail to resize", __func__, __LINE__);
            return -1;
        }
    }
    std::vector<std::string> sources;
    if (!ChooseSources(&sources)) return -1;

    uint64_t total = 0;
    for (int r = 0; r < gnPatchInfo; r++)
        if (gPatchInfo[r].fneedupdate) total += 2ull * gPatchInfo[r].datalen;
    updt::ProgressReset(total);

    uint64_t before = 0;  // bytes of the rows already done
    for (int r = 0; r < gnPatchInfo; r++) {
        const PATCHINFO &row = gPatchInfo[r];
        if (!row.fneedupdate) {
            syslog(LOG_ERR, "%s: skip updating [%s]", __func__, row.name);
            continue;
        }
        const char *szDevice = SzUPDTGetDeviceByName(row.name);
        if (!szDevice) {
            syslog(LOG_ERR, "%s(%d): fail to get device path", __func__, __LINE__);
            return -1;
        }
        if (VORLMTDModifyPartitionSize(szDevice, row.start, row.size) < 0) {
            syslog(LOG_ERR, "%s: VORLMTDModifyPartitionSize() fail", __func__);
            return -1;
        }
        const char *szSource = sources[r].c_str();
        bool done = false;
        for (int attempt = 0; attempt < updt::kAttempts && !done; attempt++) {
            updt::ProgressSet(before);
            if (VORLMTDUnlockPartition(szDevice) < 0) {
                syslog(LOG_ERR, "%s: unlock [%s] fail", __func__, szDevice);
                continue;
            }
            syslog(LOG_ERR, "%s:%d(%s) Try to Erase MTD Partition(%s), [%d/%d]...", VORL_SRC,
                   __LINE__, __func__, szDevice, attempt, updt::kAttempts);
            if (VORLMTDErasePartition(szDevice) < 0) {
                syslog(LOG_ERR, "%s: VORLMTDErasePartition() fail", __func__);
                continue;
            }
            syslog(LOG_ERR, "%s:%d(%s) Try to Write MTD Partition(%s), [%d/%d]...", VORL_SRC,
                   __LINE__, __func__, szDevice, attempt, updt::kAttempts);
            if (UPDTCopyFile(szSource, szDevice, row.datalen, updt::kCopyBlock) < 0) continue;
            syslog(LOG_ERR, "%s:%d(%s) Try to Verify MTD Partition(%s), [%d/%d]...", VORL_SRC,
                   __LINE__, __func__, szDevice, attempt, updt::kAttempts);
            if (UPDTVerifyFile(szSource, szDevice, row.datalen, updt::kVerifyBlock) < 0) continue;
            VORL_MTD_FIS_RECORD rec = updt::FisRecord(row.name, row.start, row.size, row.datalen);
            if (VORLMTDModifyFISEntry(gszDevMtdPartition, &rec) < 0) {
                syslog(LOG_ERR, "%s: VORLMTDModifyFISEntry() fail", __func__);
                return -1;
            }
            syslog(LOG_ERR, "%s: Finish updating [%s]", __func__, row.name);
            done = true;
        }
        if (!done) {
            syslog(LOG_ERR, "%s:%d(%s) Try to Update [%s] %d counts failed ...", VORL_SRC, __LINE__,
                   __func__, row.name, updt::kAttempts);
            return -1;
        }
        before += 2ull * row.datalen;
    }
    return 0;
}

}  // namespace body

int UPDTDoPatch(const VORL_FIS_ENTRY *pEntries, int cEntries) {
    return vorl::Guard(-1, [&] { return body::UPDTDoPatch(pEntries, cEntries); });
}
