// The run state's migration flags, for tests that set them in one process.
#pragma once

#include "updater.h"

inline int *const kFlags[] = {
    &gblRemoveAtalkRc,
    &gblRemovePapdConf,
    &gblCreateFtpAccounts,
    &gblRemoveProfile,
    &gblRemoveJumboFrameRc,
    &gblConvertJumboMtu,
    &gPhotoDbFixMask,
    &gblDropMediaServerDb,
    &gblUpdateRsyncdConf,
    &gblMoveMtuValue,
    &gblCheckAndUpdateRsyncdSecrets,
    &gblCheckAndUpdateSmmspGroup,
    &gblUpdateFTPPassivePortRange,
    &gblConvertUsbBackup,
    &gblFixPhotoEaDir,
    &gblRewriteHomePaths,
    &gblCreateUserConf,
    &gblConvertNetBackup,
    &gblCreateMailAccounts,
    &gblConvertCodepage,
    &gblCopyBondMtu,
    &gblConvertFtpWriteOnly,
    &gblDumpPgsqlDatabases,
    &gblRemoveAlb,
    &gblConvertFtpBlockIp,
    &gblLinkSqueezeCenterErrmsg,
    &gblRemoveEventTest,
    &gblSaveWriteableConfig,
    &gblRecoverFisDirV284,
};

inline void ClearFlags() {
    for (int *f : kFlags)
        *f = 0;
    gblMtdDriverBuffer = 1;
    gblNoInitrd = 0;
    gblJunior = 0;
}
