// The migration flags: which one-time conversions the old build number calls for.
#include <string.h>

#include <vorl/conf.h>

#include "updater.h"

namespace {

// The bond condition: the only bonded interface is "bond0" and it has no MTU
// setting of its own yet.
bool Bond0NeedsMtu() {
    char names[8][16];
    if (UPDTNetGetBondInterfaces(names, 8) != 1 || strcmp(names[0], "bond0") != 0) return false;
    char szMtu[16];
    return VLIBFileGetKeyValue(VORL_INFO_CONF, "bond0_mtu", szMtu, sizeof(szMtu), 0) == 0;
}

}  // namespace

void UPDTSetMigrationFlags(int B) {
    if (B <= 107) gblRemoveAtalkRc = 1;
    if (B <= 210) gblRemovePapdConf = 1;
    if (B <= 229) gblCreateFtpAccounts = 1;
    if (B <= 250) gblRemoveProfile = 1;
    if (B <= 251) gblRemoveJumboFrameRc = 1;
    if (B <= 308) gblConvertJumboMtu = 1;
    if (401 <= B && B <= 424) gPhotoDbFixMask |= 1;
    if (401 <= B && B <= 481) gPhotoDbFixMask |= 2;
    if (B < 868) gblDropMediaServerDb = 1;
    if (B < 484) gblUpdateRsyncdConf = 1;
    if (B < 548) gblMoveMtuValue = 1;
    if (B <= 552) gblCheckAndUpdateRsyncdSecrets = 1;
    if (B < 556) gblCheckAndUpdateSmmspGroup = 1;
    if (B < 660) gblUpdateFTPPassivePortRange = 1;
    if (B <= 681) gblConvertUsbBackup = 1;
    if (B <= 702) gblFixPhotoEaDir = 1;
    if (B <= 770) gblRewriteHomePaths = 1;
    if (B <= 770) gblCreateUserConf = 1;
    if (B <= 770) gblConvertNetBackup = 1;
    if (B < 776) gblCreateMailAccounts = 1;
    if (B < 808) gblConvertCodepage = 1;
    if (B <= 865 && Bond0NeedsMtu()) gblCopyBondMtu = 1;
    if (B < 868) gblConvertFtpWriteOnly = 1;
    if (B <= 882) gblDumpPgsqlDatabases = 1;
    if (B <= 886) gblRemoveAlb = 1;
    if (B <= 886) gblConvertFtpBlockIp = 1;
    if (B < 888) gblLinkSqueezeCenterErrmsg = 1;
    if (B <= 902) gblRemoveEventTest = 1;
}
