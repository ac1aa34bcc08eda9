// Steps of the run whose code is not built yet. Each one says so in the system
// log and the update log and lets the run go on as if it had succeeded with
// nothing to do; the real conversions replace these functions.
#include <stdio.h>
#include <syslog.h>

#include "updater.h"

void UPDTNotYetBuilt(const char *szStep) {
    syslog(LOG_ERR, "%s(%d): not yet built, skipped: %s", __func__, __LINE__, szStep);
    char szLine[256];
    snprintf(szLine, sizeof(szLine), "Not yet built, skipped: %s", szStep);
    UPDTAppendLog(szLine);
}

int UpdateFTPPassivePortRange(void) {
    UPDTNotYetBuilt("UpdateFTPPassivePortRange (FTP passive port range)");
    return 0;
}

void UpdateRsyncdConf(void) {
    UPDTNotYetBuilt("UpdateRsyncdConf (rsync daemon settings)");
}

void CheckAndUpdateRsyncdSecrets(void) {
    UPDTNotYetBuilt("CheckAndUpdateRsyncdSecrets (rsync secrets to base64)");
}

void CheckAndUpdateSmmspGroup(void) {
    UPDTNotYetBuilt("CheckAndUpdateSmmspGroup (admin in the smmsp group)");
}

void UPDTConvertUsbBackup(void) {
    UPDTNotYetBuilt("UPDTConvertUsbBackup (USB backup set)");
}

void UPDTConvertNetBackup(void) {
    UPDTNotYetBuilt("UPDTConvertNetBackup (network backup sets)");
}

void UPDTConvertCodepage(void) {
    UPDTNotYetBuilt("UPDTConvertCodepage (code-page keys)");
}

int UPDTUpdatePhotoDb(void) {
    UPDTNotYetBuilt("UPDTUpdatePhotoDb (photo database)");
    return 0;
}

int UPDTNetSetMTU(const char *szMtu, const char *szInterface) {
    char szStep[96];
    snprintf(szStep, sizeof(szStep), "UPDTNetSetMTU (MTU %s of %s)", szMtu ? szMtu : "",
             szInterface ? szInterface : "");
    UPDTNotYetBuilt(szStep);
    return 0;
}

int UPDTNetGetBondInterfaces(char rgszNames[][16], int max) {
    (void)rgszNames;
    (void)max;
    UPDTNotYetBuilt("UPDTNetGetBondInterfaces (bonded interfaces; none reported)");
    return 0;
}
