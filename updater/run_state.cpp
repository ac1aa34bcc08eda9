// The updater's process-wide run state and the table of result-code names.
#include "updater.h"

const char *const gszUPDTErrorName[UPDT_RESULT_COUNT] = {
    "upgrade_success",       // 0
    "error_dirop",           // 1
    "error_dirop",           // 2
    "error_dirop",           // 3
    "error_bootmediaop",     // 4
    "error_bootmediaop",     // 5
    "error_read_ver",        // 6
    "error_read_patch_ver",  // 7
    "error_read_mod",        // 8
    "error_read_patch_mod",  // 9
    "error_version",         // 10
    "error_model",           // 11
    "error_company",         // 12
    "error_patch",           // 13
    "error_update_unknown",  // 14
    "error_update_unknown",  // 15
    "error_update_unknown",  // 16
    "error_update_unknown",  // 17
    "error_update_unknown",  // 18
    "error_update_unknown",  // 19
    "error_update_unknown",  // 20
    "error_update_unknown",  // 21
    "error_update_unknown",  // 22
    "error_memory",          // 23
    "error_reboot",          // 24
};

char gszVolume[32] = "/volume1";
char gszUpdateDir[256];
char gszDevMtdPartition[10];
PATCHINFO gPatchInfo[UPDT_MAX_PATCHINFO];
int gnPatchInfo;
PARTITIONDEVICE gPartitionDevice[UPDT_MAX_PATCHINFO];
int gblJunior;
int gblNoInitrd;
int gblGroupUpdate;
int gblMtdDriverBuffer = 1;
uint32_t gEraseBlockSize;

int gblRemoveAtalkRc, gblRemovePapdConf, gblCreateFtpAccounts, gblRemoveProfile,
    gblRemoveJumboFrameRc, gblConvertJumboMtu, gPhotoDbFixMask, gblDropMediaServerDb,
    gblUpdateRsyncdConf, gblMoveMtuValue, gblCheckAndUpdateRsyncdSecrets,
    gblCheckAndUpdateSmmspGroup, gblUpdateFTPPassivePortRange, gblConvertUsbBackup,
    gblFixPhotoEaDir, gblRewriteHomePaths, gblCreateUserConf, gblConvertNetBackup,
    gblCreateMailAccounts, gblConvertCodepage, gblCopyBondMtu, gblConvertFtpWriteOnly,
    gblDumpPgsqlDatabases, gblRemoveAlb, gblConvertFtpBlockIp, gblLinkSqueezeCenterErrmsg,
    gblRemoveEventTest, gblSaveWriteableConfig, gblRecoverFisDirV284;
