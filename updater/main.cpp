// updater: installs an unpacked firmware update package on the appliance.
//
//   updater [-h][-g][-v vol]
//
// Started from the update directory (or with that directory in its own path),
// it walks the stages A (analysis), P (flash patch), C (settings migration)
// and R (ready), reports them in /tmp/update.progress, and exits with a result
// code from 0 to 24 (-1 for a bad option).
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/sysinfo.h>
#include <syslog.h>
#include <unistd.h>

#include <string>

#include <vorl/conf.h>
#include <vorl/mtd.h>
#include <vorl/str_util.h>

#include "core/raii.h"
#include "flash.h"
#include "updater.h"

namespace {

// Run state of the driver itself.
char gcStage = 'A';
char gszSavedEth0Mtu[16];
int gblMtuChanged;

void PrintUsage() {
    printf("updater: firmware update of the network storage appliance\n");
    printf("updater [-h][-g][-v vol]\n");
    printf(" -g: for group update\n");
    printf(" -v: specify an avaible volume for upgrade task.\n");
}

// Lowers the Ethernet MTU to 1500 for the flash work when the model supports
// jumbo frames; remembers the value to restore. Never fails the run.
void MtuGuard() {
    char szSupport[8] = {0};
    if (VLIBFileGetKeyValue(VORL_INFO_CONF_DEFAULTS, "supportMTU", szSupport, sizeof(szSupport),
                            0) <= 0 ||
        strcmp(szSupport, "yes") != 0) {
        return;
    }
    if (VLIBFileGetKeyValue(VORL_INFO_CONF, "eth0_mtu", gszSavedEth0Mtu, sizeof(gszSavedEth0Mtu),
                            0) <= 0) {
        return;
    }
    if (strcmp(gszSavedEth0Mtu, "1500") != 0 && UPDTNetSetMTU("1500", "eth0") == 0) {
        gblMtuChanged = 1;
    }
}

// Leaves the shutdown marker for the next boot. The commands' results are not
// examined: a missing marker only makes the next boot check the disks.
void TouchNormalShutdown() {
    if (gblNoInitrd) {
        const char *const mountArgv[] = {
            "/bin/mount", UPDTIsRaidSupported() ? "/dev/md0" : "/dev/hda1", "/tmpRoot", nullptr};
        UPDTExecute(mountArgv);
        const char *const touchArgv[] = {"/bin/touch", "/tmpRoot/.NormalShutdown", nullptr};
        UPDTExecute(touchArgv);
    } else {
        const char *const touchArgv[] = {"/bin/touch", "/.NormalShutdown", nullptr};
        UPDTExecute(touchArgv);
    }
}

// Moves the system-partition archive to the volume for the next boot.
void HandOverSystemArchive() {
    if (access("hda1.tgz", F_OK) != 0) return;
    std::string from = std::string(gszUpdateDir) + "/hda1.tgz";
    std::string to = std::string(gszVolume) + "/VorlUpgrade.tar.gz";
    const char *const argv[] = {"/bin/mv", "-f", from.c_str(), to.c_str(), nullptr};
    if (UPDTExecute(argv) != 0) {
        syslog(LOG_ERR, "%s(%d): mv %s to %s/%s fail.", "main", __LINE__, "hda1.tgz", gszVolume,
               "VorlUpgrade.tar.gz");
    }
}

void RemoveBackupDir() {
    std::string dir = std::string(gszUpdateDir) + "/" + UPDT_BACKUP_DIR;
    if (gblRollBackFailed) {
        // The backup holds the only good copy of what the roll-back could not restore.
        syslog(LOG_ERR, "%s(%d): roll-back incomplete, keeping [%s]", "main", __LINE__,
               dir.c_str());
        return;
    }
    const char *const argv[] = {"/bin/rm", "-rf", dir.c_str(), nullptr};
    char szCmd[1024];
    UPDTFormatCommand(argv, szCmd, sizeof(szCmd));
    syslog(LOG_ERR, "szCmd=[%s]", szCmd);
    UPDTExecute(argv);
}

// The configuration stage's photo steps, run before the settings migration.
void PhotoSteps() {
    if (gblFixPhotoEaDir) {
        const char *const argv[] = {
            "/usr/bin/find", "/var/services/photo/", "-type", "d",   "-name", "@eaDir",
            "-exec",         "/bin/chmod",           "-R",    "777", "{}",    ";",
            nullptr};
        UPDTExecute(argv);
    }
    if (gPhotoDbFixMask || gblDropMediaServerDb || gblDumpPgsqlDatabases) {
        if (VLIBProcExec("/usr/vorl/etc/rc.d/S20pgsql.sh", "start", nullptr, nullptr, nullptr) !=
            0) {
            syslog(LOG_ERR, "%s: %d: failed to start postgre database.", VORL_SRC, __LINE__);
        }
        UPDTUpdatePhotoDb();
    }
}

// Stages P, C and R on the RedBoot layout (steps 14 to 34 and the roll-back);
// answers the result code.
int PatchAndConfigure(vorl::MallocPtr<VORL_FIS_ENTRY> &entries) {
    if (gblRecoverFisDirV284 && RecoverFISDirTable_K7GPlus_V284() < 0) {
        syslog(LOG_ERR, "%s(%d): fail to recover the FIS directory", "main", __LINE__);
        return UPDT_ERR_PATCH_WRITE;
    }
    if (gblUpdateFTPPassivePortRange && UpdateFTPPassivePortRange() < 0) {
        syslog(LOG_ERR, "%s(%d): fail to update the FTP passive port range", "main", __LINE__);
        return UPDT_ERR_FTP_PORTS;
    }
    if (gblUpdateRsyncdConf) UpdateRsyncdConf();
    if (gblCheckAndUpdateRsyncdSecrets) CheckAndUpdateRsyncdSecrets();
    if (gblCheckAndUpdateSmmspGroup) CheckAndUpdateSmmspGroup();
    if (gblConvertUsbBackup) UPDTConvertUsbBackup();
    if (gblConvertNetBackup) UPDTConvertNetBackup();
    if (gblConvertCodepage) UPDTConvertCodepage();

    // Stage P.
    gcStage = 'P';
    UPDTSetProgress('P', 0);
    int cbEntries = 0;
    if (VORLMTDGetPartitionInfo(gszDevMtdPartition, nullptr, 0, &cbEntries) < 0) {
        syslog(LOG_ERR, "%s(%d): fail to get partition info", "main", __LINE__);
        return UPDT_ERR_PARTITION_LIST;
    }
    entries.reset(static_cast<VORL_FIS_ENTRY *>(malloc(cbEntries)));
    if (!entries) {
        syslog(LOG_ERR, "%s(%d): malloc fail, errno = %d", "main", __LINE__, errno);
        return UPDT_ERR_SPACE;
    }
    int nEntries =
        VORLMTDGetPartitionInfo(gszDevMtdPartition, entries.get(), cbEntries, &cbEntries);
    if (nEntries < 0) {
        syslog(LOG_ERR, "%s(%d): fail to get partition info", "main", __LINE__);
        return UPDT_ERR_PARTITION_LIST;
    }
    syslog(LOG_ERR, "number of partitions = [%d]", nEntries);
    for (int i = 0; i < nEntries; ++i) {
        const VORL_FIS_ENTRY &e = entries.get()[i];
        syslog(LOG_ERR, "[%.16s]  0x%08lX  0x%08lX  0x%08lX\n", e.szName,
               static_cast<unsigned long>(e.ulFlashBase), static_cast<unsigned long>(e.ulLength),
               static_cast<unsigned long>(e.ulDataLength));
    }

    UPDTSetProgress('P', 10);
    if (UPDTInitPatchInfo(entries.get(), nEntries) < 0) {
        syslog(LOG_ERR, "%s(%d): fail to initialize patch info ", "main", __LINE__);
        return UPDT_ERR_PATCH_INFO;
    }
    UPDTSetProgress('P', 20);
    if (!gblGroupUpdate && UPDTBackupOldPartition(entries.get(), nEntries) < 0) {
        syslog(LOG_ERR, "%s(%d): fail to backup old patch info ", "main", __LINE__);
        return UPDT_ERR_BACKUP;
    }
    UPDTSetProgress('P', 60);
    int result = UPDT_OK;
    if (UPDTDoPatch(entries.get(), nEntries) < 0) {
        syslog(LOG_ERR, "%s(%d): fail to patch new binaries!!", "main", __LINE__);
        result = UPDT_ERR_PATCH_WRITE;
    } else {
        syslog(LOG_ERR, "%s(%d): Turn on the reinstall library flag...!!", "main", __LINE__);
        UPDTSetProgress('P', 100);

        // Stage C.
        gcStage = 'C';
        UPDTSetProgress('C', 0);
        if (!gblGroupUpdate) {
            PhotoSteps();
            if (UPDTUpdateConfig() == -1) {
                syslog(LOG_ERR, "%s(%d): fail to update the configuration", "main", __LINE__);
                result = UPDT_ERR_CONFIG;
            }
        }
    }

    if (result == UPDT_OK) {
        UPDTSetProgress('C', 100);
        HandOverSystemArchive();
        TouchNormalShutdown();
        gcStage = 'R';
        UPDTSetProgress('R', 0);
        syslog(LOG_ERR, "Congratulation!! The update has been completed!!");
        UPDTAppendLog("Congratulation!! The update has been completed!!");
    } else if (!gblGroupUpdate) {
        if (UPDTRollBack(entries.get(), nEntries) < 0) {
            syslog(LOG_ERR, "%s: UPDTRollBack() fail", "main");
        }
        syslog(LOG_ERR, "%s(%d): Turn on the reinstall library flag...!!", "main", __LINE__);
    }
    RemoveBackupDir();
    return result;
}

// Steps 10 to 34: analysis, guards and the stages; answers the result code.
int Run(vorl::MallocPtr<VORL_FIS_ENTRY> &entries) {
    if (!gblGroupUpdate) {
        int rc = ErrUPDTIAnalyze_WholeSystem();
        if (rc != 0) {
            syslog(LOG_ERR, "%s(%d): fail to analyze, error = %d", "main", __LINE__, rc);
            return rc;
        }
        UPDTSetProgress('A', 100);
    }

    if (gblMtdDriverBuffer) {
        MtuGuard();
        if (UPDTMtdDriverBuffer(1) != 0) {
            int err = errno;
            syslog(LOG_ERR, "%s(%d): fail to malloc mtd driver buffer, error = %d", "main",
                   __LINE__, err);
            if (err != ENOSYS) {
                UPDTWriteMessage(UPDT_MSG_REBOOT_NOW);
                return UPDT_ERR_MEMORY;
            }
        }
    } else if (!gblJunior && !gblNoInitrd) {
        struct sysinfo si = {};
        if (sysinfo(&si) != 0 || si.uptime > 300) {
            syslog(LOG_ERR, "%s(%d): the system has been up for %ld seconds, reboot first", "main",
                   __LINE__, si.uptime);
            UPDTWriteMessage(UPDT_MSG_REBOOT_FIRST);
            return UPDT_ERR_REBOOT;
        }
    }

    if (UPDTIsMSysLayout()) return UPDTMSysUpdate(&gcStage);
    return PatchAndConfigure(entries);
}

// Step 8: the update directory is the directory of the program's own path,
// else "upd@te" on the volume. False when it does not fit its buffer.
bool ChooseUpdateDir(const char *szArgv0) {
    const char *slash = szArgv0 ? strrchr(szArgv0, '/') : nullptr;
    if (!slash) {
        return snprintf(gszUpdateDir, sizeof(gszUpdateDir), "%s/upd@te", gszVolume) <
               static_cast<int>(sizeof(gszUpdateDir));
    }
    size_t len = static_cast<size_t>(slash - szArgv0);
    if (len >= sizeof(gszUpdateDir)) return false;
    memcpy(gszUpdateDir, szArgv0, len);
    gszUpdateDir[len] = '\0';
    return true;
}

}  // namespace

int main(int argc, char **argv) {
    syslog(LOG_ERR, "%s(%d): Start of the updater...", "main", __LINE__);
    UPDTSetProgress('A', 0);
    UPDTTrimLog();
    UPDTAppendLog("Start of the update...");

    snprintf(gszVolume, sizeof(gszVolume), "%s", "/volume1");
    opterr = 0;
    int opt;
    while ((opt = getopt(argc, argv, "hgv:")) != -1) {
        switch (opt) {
            case 'h':
                PrintUsage();
                return 0;
            case 'g':
                gblGroupUpdate = 1;
                break;
            case 'v':
                // A longer path would be cut into another, existing directory.
                if (strlen(optarg) >= sizeof(gszVolume)) {
                    syslog(LOG_ERR, "updater: the volume path is too long for -v [%s]\n", optarg);
                    return -1;
                }
                snprintf(gszVolume, sizeof(gszVolume), "%s", optarg);
                break;
            default:
                if (optopt == 'v') {
                    syslog(LOG_ERR, "updater: invalid option for -v [mount_point]\n");
                } else {
                    syslog(LOG_ERR, "updater: invalid option [%c]\n", optopt);
                }
                return -1;
        }
    }

    if (UPDTIsJunior()) {
        snprintf(gszDevMtdPartition, sizeof(gszDevMtdPartition), "%s", "/dev/mtd5");
        UPDTInitLayoutTables(1);
        gblJunior = 1;
        syslog(LOG_ERR, "This is junior, gszDevMtdPartition=[%s]", gszDevMtdPartition);
    } else {
        snprintf(gszDevMtdPartition, sizeof(gszDevMtdPartition), "%s", "/dev/mtd7");
        UPDTInitLayoutTables(0);
        syslog(LOG_ERR, "This is not junior, gszDevMtdPartition=[%s]", gszDevMtdPartition);
    }
    if (access("/initrd", F_OK) != 0) gblNoInitrd = 1;

    int result = UPDT_OK;
    vorl::UniqueFd savedCwd(open(".", O_RDONLY | O_CLOEXEC));
    if (!savedCwd) {
        syslog(LOG_ERR, "%s(%d): fail to open current directory. errno=%d", "main", __LINE__,
               errno);
        result = UPDT_ERR_OPEN_CWD;
    } else {
        vorl::MallocPtr<VORL_FIS_ENTRY> entries;
        if (!ChooseUpdateDir(argv[0])) {
            syslog(LOG_ERR, "%s(%d): the update directory is too long: [%s]", "main", __LINE__,
                   argv[0]);
            result = UPDT_ERR_CHDIR;
        } else if (chdir(gszUpdateDir) != 0) {
            syslog(LOG_ERR, "%s(%d): fail to chdir, errno = %d", "main", __LINE__, errno);
            result = UPDT_ERR_CHDIR;
        } else if (!getcwd(gszUpdateDir, sizeof(gszUpdateDir))) {
            syslog(LOG_ERR, "%s(%d): fail to getcwd, errno = %d", "main", __LINE__, errno);
            result = UPDT_ERR_CHDIR;
        } else {
            UPDTSetProgress('A', 10);
            result = Run(entries);
        }

        // Finish.
        if (gblMtdDriverBuffer && UPDTMtdDriverBuffer(0) != 0) {
            syslog(LOG_ERR, "%s(%d): fail to free mtd driver buffer, error = %d", "main", __LINE__,
                   errno);
        }
        entries.reset();
        if (fchdir(savedCwd.get()) != 0) result = UPDT_ERR_FCHDIR;
        savedCwd.reset();
    }

    if (result != UPDT_OK) {
        char szMsg[64];
        snprintf(szMsg, sizeof(szMsg), "Failed to accomplish the update! (errno = %d)", result);
        syslog(LOG_ERR, "%s", szMsg);
        UPDTAppendLog(szMsg);
    }
    if (gblMtuChanged) UPDTNetSetMTU(gszSavedEth0Mtu, "eth0");
    UPDTSetProgress(gcStage, -result);
    return result;
}
