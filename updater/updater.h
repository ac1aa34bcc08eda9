// The updater's run state and the operations its stages share. Run-state
// variables are defined in run_state.cpp; the stage code lives beside it.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <vorl/mtd.h>

// Result codes (exit status of a run).
enum {
    UPDT_OK = 0,
    UPDT_ERR_OPEN_CWD = 1,
    UPDT_ERR_FCHDIR = 2,
    UPDT_ERR_CHDIR = 3,
    UPDT_ERR_READ_VER = 6,
    UPDT_ERR_READ_PATCH_VER = 7,
    UPDT_ERR_READ_MOD = 8,
    UPDT_ERR_READ_PATCH_MOD = 9,
    UPDT_ERR_VERSION = 10,
    UPDT_ERR_COMPANY = 12,
    UPDT_ERR_PATCH = 13,
    UPDT_ERR_BACKUP = 15,
    UPDT_ERR_SPACE = 16,
    UPDT_ERR_CONFIG = 17,
    UPDT_ERR_PARTITION_LIST = 18,
    UPDT_ERR_PATCH_INFO = 19,
    UPDT_ERR_PATCH_WRITE = 20,
    UPDT_ERR_FTP_PORTS = 21,
    UPDT_ERR_DEFAULTFS = 22,
    UPDT_ERR_MEMORY = 23,
    UPDT_ERR_REBOOT = 24,
    UPDT_RESULT_COUNT = 25,
};

// The 25 error names, indexed by result code.
extern const char *const gszUPDTErrorName[UPDT_RESULT_COUNT];

#define UPDT_PROGRESS_FILE "/tmp/update.progress"
#define UPDT_MESSAGE_FILE "/tmp/update.message"
#define UPDT_LOG_FILE "/var/log/vorlupdate.log"
#define UPDT_BACKUP_DIR "b@ckup"

// One row of the patch plan.
typedef struct PATCHINFO {
    const char *name;  // FIS partition name; NULL ends the table
    const char *file;  // image file, relative to the update directory
    uint32_t start;    // flash base address
    uint32_t datalen;  // bytes to write
    uint32_t size;     // partition length in bytes
    int32_t balance;   // erase blocks of the partition minus blocks the image needs
    int32_t delta;     // blocks given (+) or taken (-) by balancing
    int32_t fneedupdate;
} PATCHINFO;

typedef struct PARTITIONDEVICE {
    const char *name;    // partition name; NULL ends the table
    const char *device;  // "/dev/mtdN"
} PARTITIONDEVICE;

#define UPDT_MAX_PATCHINFO 9

// Run state.
extern char gszVolume[32];
extern char gszUpdateDir[256];
extern char gszDevMtdPartition[10];
extern PATCHINFO gPatchInfo[UPDT_MAX_PATCHINFO];
extern int gnPatchInfo;
extern PARTITIONDEVICE gPartitionDevice[UPDT_MAX_PATCHINFO];
extern int gblJunior;
extern int gblNoInitrd;
extern int gblGroupUpdate;
extern int gblMtdDriverBuffer;
extern uint32_t gEraseBlockSize;

// Fills gPatchInfo, gnPatchInfo and gPartitionDevice from the built-in layout
// of the junior variant (6 rows) or of the other one (8 rows).
void UPDTInitLayoutTables(int fJunior);

// Migration flags, set by the package analysis from the old build number.
extern int gblRemoveAtalkRc, gblRemovePapdConf, gblCreateFtpAccounts, gblRemoveProfile,
    gblRemoveJumboFrameRc, gblConvertJumboMtu, gPhotoDbFixMask, gblDropMediaServerDb,
    gblUpdateRsyncdConf, gblMoveMtuValue, gblCheckAndUpdateRsyncdSecrets,
    gblCheckAndUpdateSmmspGroup, gblUpdateFTPPassivePortRange, gblConvertUsbBackup,
    gblFixPhotoEaDir, gblRewriteHomePaths, gblCreateUserConf, gblConvertNetBackup,
    gblCreateMailAccounts, gblConvertCodepage, gblCopyBondMtu, gblConvertFtpWriteOnly,
    gblDumpPgsqlDatabases, gblRemoveAlb, gblConvertFtpBlockIp, gblLinkSqueezeCenterErrmsg,
    gblRemoveEventTest, gblSaveWriteableConfig, gblRecoverFisDirV284;

// Reporting. UPDTSetProgress writes "%c:%d:      " to the progress file
// under its lock (a value equal to the last one written is not written again).
void UPDTSetProgress(char stage, int percent);
int UPDTWriteStatusFile(const char *szPath, const char *szText, int wait);
void UPDTAppendLog(const char *szMessage);
void UPDTTrimLog(void);
// Writes key "extramsg" of the message file; 0 or -1. A link or a foreign
// file planted at its path is replaced, never followed.
int UPDTWriteMessage(const char *szSentence);

// The sentences of the message file.
#define UPDT_MSG_NO_SPACE                                                                  \
    "System volume is insufficient to extract upgrade patch, please backup all files and " \
    "restore to factory default."
#define UPDT_MSG_REBOOT_NOW "Please reboot the system and upgrade immediately."
#define UPDT_MSG_REBOOT_FIRST "To perform upgrade task, you have to REBOOT your Data Crate first."

// The hardware and the kernel.
int UPDTIsJunior(void);
// Vendor call 401: 1 when the flash uses the msys layout.
int UPDTIsMSysLayout(void);
// Vendor call 405: allocates (1) or releases (0) the MTD driver buffer; 0, or
// -1 with errno (ENOSYS: the kernel needs no buffer).
int UPDTMtdDriverBuffer(int fAllocate);
// Key "supportraid" of the factory settings begins with "yes".
int UPDTIsRaidSupported(void);

// Package analysis: 0, or the result code that refuses the package.
int ErrUPDTIAnalyze_WholeSystem(void);
void UPDTSetMigrationFlags(int buildNumber);
// 1 when the system partition holds extractSize KiB and 10 MiB more, else 0.
int UPDTCheckSystemSpace(long long extractSize);
int UPDTIsFixedSystemPartition(unsigned long long size);
#define UPDT_PARTITION_ERROR ((unsigned long long)-1)
// Size (512-byte sectors) of partition N of a disk from "/sbin/sfdisk -l -uS -NN
// /dev/disk", with its start sector and type when asked; UPDT_PARTITION_ERROR
// on failure.
unsigned long long RCPartitionConfigs(int partition, const char *szDisk,
                                      unsigned long long *pullStart, unsigned int *puType);

// Runs a program (argument vector, no shell): 0 when it exited with 0, else -1
// (a start failure, a non-zero exit status or a death by a signal), logged.
int UPDTExecute(const char *const *rgszArgv);
// Runs a program (argument vector, no shell) and stores the first line of its
// standard output (without the line feed, cut to cbLine - 1 bytes) in szLine.
// Answers the length stored, or -1 when it could not be run or did not exit.
int UPDTExecuteRead(const char *const *rgszArgv, char *szLine, int cbLine);
// An argument vector as one line for the logs, quoted as a shell would need it.
void UPDTFormatCommand(const char *const *rgszArgv, char *szBuf, size_t cbBuf);

// Flash stage: flash.h.

// Configuration stage (settings migration); 0 or -1.
int UPDTUpdateConfig(void);

// Conversions and services that are not built yet (not_yet_built.cpp): each
// logs that it was skipped, to syslog and the update log, and succeeds.
int UpdateFTPPassivePortRange(void);
void UpdateRsyncdConf(void);
void CheckAndUpdateRsyncdSecrets(void);
void CheckAndUpdateSmmspGroup(void);
void UPDTConvertUsbBackup(void);
void UPDTConvertNetBackup(void);
void UPDTConvertCodepage(void);
int UPDTUpdatePhotoDb(void);
// The network settings the driver needs: the MTU setter of an interface and
// the names of the bonded interfaces (answers how many, at most max).
int UPDTNetSetMTU(const char *szMtu, const char *szInterface);
int UPDTNetGetBondInterfaces(char rgszNames[][16], int max);
// Records a skipped step that is not built yet.
void UPDTNotYetBuilt(const char *szStep);
