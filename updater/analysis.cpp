// Package analysis: may the unpacked package be installed on the running
// system, and which one-time conversions does the old build number call for.
#include <dirent.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <syslog.h>

#include <vorl/conf.h>

#include "updater.h"

namespace {

constexpr const char *kSystemVersion = "/etc.defaults/VERSION";
constexpr const char *kPackageVersion = "VERSION";  // in the update directory (the cwd)

bool Read(const char *szPath, const char *szKey, char *szBuf, int cbBuf) {
    return VLIBFileGetKeyValue(szPath, szKey, szBuf, cbBuf, 0) > 0;
}

// Models of the old generation whose configuration lives on /writeable.
bool IsLegacyModel(const char *szUnique) {
    static const char *const kModels[] = {"tarvik_ixp420_1hd", "vorlane_ixp420_1hd",
                                          "vorlane_powerpc_k7g+_1hd", "tarvik_powerpc_1hd"};
    for (const char *m : kModels) {
        if (strcmp(szUnique, m) == 0) return true;
    }
    return false;
}

// Makes sure /etc/vorlinfo.conf names the default file system; 0 or the result code.
int RepairDefaultFs() {
    char szFs[80] = {0};
    if (Read(VORL_INFO_CONF, "defaultfs", szFs, sizeof(szFs))) return 0;
    syslog(LOG_ERR, "%s:%d(%s): can not get [%s] in [%s]", VORL_SRC, __LINE__, __func__,
           "defaultfs", VORL_INFO_CONF);
    if (!Read(VORL_INFO_CONF_DEFAULTS, "defaultfs", szFs, sizeof(szFs))) {
        syslog(LOG_ERR, "%s:%d(%s): can not get [%s] in [%s]", VORL_SRC, __LINE__, __func__,
               "defaultfs", VORL_INFO_CONF_DEFAULTS);
        snprintf(szFs, sizeof(szFs), "%s", "reiserfs");
    }
    if (VLIBFileSetKeyValue(VORL_INFO_CONF, "defaultfs", szFs, VORL_KEY_QUOTED_FORMAT) <= 0) {
        syslog(LOG_ERR, "%s:%d(%s): can not set [%s=%s] to %s", VORL_SRC, __LINE__, __func__,
               "defaultfs", szFs, VORL_INFO_CONF);
        return UPDT_ERR_DEFAULTFS;
    }
    return 0;
}

}  // namespace

int ErrUPDTIAnalyze_WholeSystem(void) {
    struct stat st;
    if (stat(kPackageVersion, &st) != 0 || st.st_size == 0 || (st.st_mode & 0xF100) != 0x8100) {
        syslog(LOG_ERR, "%s(%d): the file [%s]", __func__, __LINE__, kPackageVersion);
        return UPDT_ERR_READ_PATCH_VER;
    }

    // The running system.
    char szOrgUnique[33] = {0}, szOrgMajor[5] = {0}, szOrgMinor[5] = {0}, szOrgPhase[17] = {0},
         szOrgBuild[9] = {0};
    if (!Read(VORL_INFO_CONF_DEFAULTS, "unique", szOrgUnique, sizeof(szOrgUnique)))
        return UPDT_ERR_READ_MOD;
    if (!Read(kSystemVersion, "majorversion", szOrgMajor, sizeof(szOrgMajor))) {
        syslog(LOG_ERR, "%s(%d): fail to read major version", __func__, __LINE__);
        return UPDT_ERR_READ_VER;
    }
    if (!Read(kSystemVersion, "minorversion", szOrgMinor, sizeof(szOrgMinor))) {
        syslog(LOG_ERR, "%s(%d): fail to read minor version", __func__, __LINE__);
        return UPDT_ERR_READ_VER;
    }
    if (!Read(kSystemVersion, "buildphase", szOrgPhase, sizeof(szOrgPhase))) {
        syslog(LOG_ERR, "%s(%d): fail to read buildphase", __func__, __LINE__);
        return UPDT_ERR_READ_VER;
    }
    if (!Read(kSystemVersion, "buildnumber", szOrgBuild, sizeof(szOrgBuild))) {
        syslog(LOG_ERR, "%s(%d): fail to read buildnumber", __func__, __LINE__);
        return UPDT_ERR_READ_VER;
    }
    int orgMajor = atoi(szOrgMajor), orgBuild = atoi(szOrgBuild);
    if (orgMajor == 0 || orgBuild == 0) {
        syslog(LOG_ERR, "%s(%d): buildnumber or major version == 0", __func__, __LINE__);
        return UPDT_ERR_READ_VER;
    }

    // The package.
    char szNewUnique[33] = {0}, szNewMajor[5] = {0}, szNewMinor[5] = {0}, szNewPhase[17] = {0},
         szNewBuild[9] = {0}, szExtractSize[128] = {0};
    if (!Read(kPackageVersion, "unique", szNewUnique, sizeof(szNewUnique)))
        return UPDT_ERR_READ_PATCH_MOD;
    if (!Read(kPackageVersion, "majorversion", szNewMajor, sizeof(szNewMajor))) {
        syslog(LOG_ERR, "%s(%d): fail to read new major version", __func__, __LINE__);
        return UPDT_ERR_READ_PATCH_VER;
    }
    if (!Read(kPackageVersion, "minorversion", szNewMinor, sizeof(szNewMinor))) {
        syslog(LOG_ERR, "%s(%d): fail to read new minor version", __func__, __LINE__);
        return UPDT_ERR_READ_PATCH_VER;
    }
    if (!Read(kPackageVersion, "buildphase", szNewPhase, sizeof(szNewPhase))) {
        syslog(LOG_ERR, "%s(%d): fail to read new build phase", __func__, __LINE__);
        return UPDT_ERR_READ_PATCH_VER;
    }
    if (!Read(kPackageVersion, "buildnumber", szNewBuild, sizeof(szNewBuild))) {
        syslog(LOG_ERR, "%s(%d): fail to read new build number", __func__, __LINE__);
        return UPDT_ERR_READ_PATCH_VER;
    }
    if (!Read(kPackageVersion, "extractsize", szExtractSize, sizeof(szExtractSize))) {
        syslog(LOG_ERR, "%s(%d): fail to get patch size", __func__, __LINE__);
        return UPDT_ERR_READ_PATCH_VER;
    }
    int newMajor = atoi(szNewMajor), newBuild = atoi(szNewBuild);
    if (newMajor == 0 || newBuild == 0) {
        syslog(LOG_ERR, "%s(%d): buildnumber or major version == 0", __func__, __LINE__);
        return UPDT_ERR_READ_PATCH_VER;
    }
    long long extractSize = strtoll(szExtractSize, nullptr, 10);

    if (orgMajor < 2 || newMajor < 2) {
        syslog(LOG_ERR, "%s:%d orgMajorVersion=%d", VORL_SRC, __LINE__, orgMajor);
        return UPDT_ERR_PATCH;
    }
    if (orgBuild >= newBuild) {
        syslog(LOG_ERR, "%s(%d): orgBuildNumber = %d, newBuildNumber=%d", __func__, __LINE__,
               orgBuild, newBuild);
        return UPDT_ERR_VERSION;
    }
    if (!szOrgUnique[0] || !szNewUnique[0] || strncasecmp(szOrgUnique, szNewUnique, 32) != 0) {
        syslog(LOG_ERR, "%s(%d): szOrgCompany = [%s], szNewCompany=[%s]", __func__, __LINE__,
               szOrgUnique, szNewUnique);
        return UPDT_ERR_COMPANY;
    }

    if (orgBuild <= 261 && IsLegacyModel(szNewUnique)) {
        if (DIR *dir = opendir("/writeable")) {
            closedir(dir);
            gblSaveWriteableConfig = 1;
            if (int rc = RepairDefaultFs()) return rc;
            struct statfs fs;
            if (statfs("/writeable", &fs) == 0 &&
                ((static_cast<uint64_t>(fs.f_bavail) * static_cast<uint64_t>(fs.f_bsize)) >> 20) <
                    2) {
                return UPDT_ERR_SPACE;
            }
        }
    }
    if (orgBuild == 284 && gblJunior &&
        strncasecmp(szOrgUnique, "vorlane_powerpc_k7g+_1hd", 32) == 0) {
        gblRecoverFisDirV284 = 1;
    }
    if (orgBuild <= 350) gblMtdDriverBuffer = 0;

    if (!UPDTCheckSystemSpace(extractSize)) {
        UPDTWriteMessage(UPDT_MSG_NO_SPACE);
        return UPDT_ERR_SPACE;
    }
    if (!gblNoInitrd) UPDTSetMigrationFlags(orgBuild);

    char szLine[256];
    snprintf(szLine, sizeof(szLine), "Upgrade from version %s.%s.%s.%s to version %s.%s.%s.%s",
             szOrgMajor, szOrgMinor, szOrgPhase, szOrgBuild, szNewMajor, szNewMinor, szNewPhase,
             szNewBuild);
    UPDTAppendLog(szLine);
    return 0;
}
