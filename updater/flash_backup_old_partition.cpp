#include <syslog.h>

#include "core/api_guard.h"
#include "flash.h"
#include "flash_internal.h"

// The body; the operation below keeps every exception inside.
namespace body {

int UPDTBackupOldPartition(const VORL_FIS_ENTRY *pEntries, int cEntries) {
    if (cEntries < 1 || !pEntries) {
        syslog(LOG_ERR, "%s(%d): parameter error ", __func__, __LINE__);
        return -1;
    }
    std::string dir = updt::BackupDir();
    syslog(LOG_ERR, "szCmd=[/bin/rm -rf %s/%s; /bin/mkdir -p %s/%s]", gszUpdateDir, UPDT_BACKUP_DIR,
           gszUpdateDir, UPDT_BACKUP_DIR);
    const char *const rm[] = {"/bin/rm", "-rf", dir.c_str(), nullptr};
    const char *const mkdir[] = {"/bin/mkdir", "-p", dir.c_str(), nullptr};
    if (UPDTExecute(rm) != 0 || UPDTExecute(mkdir) != 0) return -1;

    for (int i = 0; i < cEntries; i++) {
        std::string name = updt::EntryName(pEntries[i]);
        const char *szDevice = SzUPDTGetDeviceByName(name.c_str());
        if (!szDevice) {
            syslog(LOG_ERR, "%s(%d): fail to get device path", __func__, __LINE__);
            return -1;
        }
        std::string in = std::string("if=") + szDevice;
        std::string out = "of=" + updt::BackupPath(name.c_str());
        syslog(LOG_ERR, "%s(%d): command=[/bin/dd if=\"%s\" of=\"%s/%s/mtd_%s\" bs=16384]",
               __func__, __LINE__, szDevice, gszUpdateDir, UPDT_BACKUP_DIR, name.c_str());
        const char *const dd[] = {"/bin/dd", in.c_str(), out.c_str(), "bs=16384", nullptr};
        if (UPDTExecute(dd) != 0) return -1;
        UPDTSetProgress('P', 30 + 5 * i);
    }
    return 0;
}

}  // namespace body

int UPDTBackupOldPartition(const VORL_FIS_ENTRY *pEntries, int cEntries) {
    return vorl::Guard(-1, [&] { return body::UPDTBackupOldPartition(pEntries, cEntries); });
}
