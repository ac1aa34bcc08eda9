#include <string.h>
#include <syslog.h>
#include <unistd.h>

#include "core/api_guard.h"
#include "flash.h"
#include "flash_internal.h"

// The body; the operation below keeps every exception inside.
namespace body {

int UPDTMSysUpdate(char *pStage) {
    char stage = 'P';
    if (pStage) *pStage = stage;
    UPDTSetProgress('P', 0);
    VORL_FIS_ENTRY entries[updt::kMsysPartitions];
    memset(entries, 0, sizeof entries);
    int cEntries = UPDTMSysGetPartitionInfo(entries);
    if (cEntries < 0) return UPDT_ERR_PARTITION_LIST;
    syslog(LOG_ERR, "number of partitions = [%d]", cEntries);
    for (int i = 0; i < cEntries; i++)
        syslog(LOG_ERR, "[%.16s]  0x%08lX  0x%08lX  0x%08lX\n", entries[i].szName,
               static_cast<unsigned long>(entries[i].ulFlashBase),
               static_cast<unsigned long>(entries[i].ulLength),
               static_cast<unsigned long>(entries[i].ulDataLength));

    UPDTSetProgress('P', 10);
    if (UPDTMSysInitPatchInfo(entries, cEntries) < 0) {
        syslog(LOG_ERR, "%s(%d): fail to initialize patch info ", __func__, __LINE__);
        return UPDT_ERR_PATCH_INFO;
    }
    UPDTSetProgress('P', 20);
    if (!gblGroupUpdate && UPDTBackupOldPartition(entries, cEntries) < 0) {
        syslog(LOG_ERR, "%s(%d): fail to backup old patch info ", __func__, __LINE__);
        return UPDT_ERR_BACKUP;
    }

    UPDTSetProgress('P', 60);
    int result = UPDT_OK;
    int fReformatted = 0;
    if (UPDTMSysDoPatch(entries, cEntries, &fReformatted) < 0) {
        syslog(LOG_ERR, "%s(%d): fail to patch new binaries!!", __func__, __LINE__);
        result = UPDT_ERR_PATCH_WRITE;
    } else {
        syslog(LOG_ERR, "%s(%d): Turn on the reinstall library flag...!!", __func__, __LINE__);
        UPDTSetProgress('P', 100);
        stage = 'C';
        if (pStage) *pStage = stage;
        UPDTSetProgress('C', 0);
        if (!gblGroupUpdate && UPDTUpdateConfig() == -1) result = UPDT_ERR_CONFIG;
    }
    if (result == UPDT_OK) {
        UPDTSetProgress('C', 100);
        stage = 'R';
        if (pStage) *pStage = stage;
        UPDTSetProgress('R', 0);
        syslog(LOG_ERR, "Congratulation!! The update has been completed!!");
        UPDTAppendLog("Congratulation!! The update has been completed!!");
    } else if (!gblGroupUpdate) {
        if (UPDTMSysRollBack(entries, cEntries, fReformatted) < 0)
            syslog(LOG_ERR, "%s: UPDTRollBack() fail", __func__);
        syslog(LOG_ERR, "%s(%d): Turn on the reinstall library flag...!!", __func__, __LINE__);
    }

    std::string dir = updt::BackupDir();
    if (updt::FileExists(updt::ImagePath("hda1.tgz"))) {
        std::string from = updt::ImagePath("hda1.tgz");
        std::string to = std::string(gszVolume) + "/VorlUpgrade.tar.gz";
        const char *const mv[] = {"/bin/mv", "-f", from.c_str(), to.c_str(), nullptr};
        if (UPDTExecute(mv) != 0)
            syslog(LOG_ERR, "%s(%d): mv %s to %s/%s fail.", __func__, __LINE__, "hda1.tgz",
                   gszVolume, "VorlUpgrade.tar.gz");
    }
    if (gblRollBackFailed) {
        syslog(LOG_ERR, "%s(%d): the roll-back failed: %s is kept", __func__, __LINE__,
               dir.c_str());
    } else {
        syslog(LOG_ERR, "szCmd=[/bin/rm -rf %s/%s]", gszUpdateDir, UPDT_BACKUP_DIR);
        const char *const rm[] = {"/bin/rm", "-rf", dir.c_str(), nullptr};
        UPDTExecute(rm);
    }
    return result;
}

}  // namespace body

int UPDTMSysUpdate(char *pStage) {
    return vorl::Guard(-1, [&] { return body::UPDTMSysUpdate(pStage); });
}
