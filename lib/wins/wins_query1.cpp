#include <string.h>
#include <strings.h>

#include "core/err_internal.h"

#include <vorl/conf.h>
#include <vorl/file_lock.h>
#include <vorl/sz_hash.h>
#include <vorl/wins.h>

namespace {

constexpr const char *kSmbConf = "/usr/vorl/etc/smb.conf";

// The hash may move while it grows, so the owner hands out its handle.
struct HashOwner {
    SzHash *p = nullptr;
    ~HashOwner() { VLIBSzHashFree(p); }
};

// Whether the SMB service is switched on: runsamba="yes", read under the
// settings lock; 0 when the lock cannot be had or the key cannot be read.
int IsSambaRunning() {
    if (ErrVLIBFileLock(VLIB_LOCK_VORLINFO | VLIB_LOCK_SH_NB, 10) != 0) return 0;
    char szValue[20] = "";
    int fRunning =
        VLIBFileGetKeyValue(VORL_INFO_CONF, "runsamba", szValue, sizeof(szValue), 0) > 0 &&
        strcasecmp(szValue, "yes") == 0;
    ErrVLIBFileUnlock(VLIB_LOCK_VORLINFO);
    return fRunning;
}

}  // namespace

extern "C" int VORLWinsQuery(char *szName, int cbName, int *pfMember, int *pfRunning) {
    if (!szName || cbName <= 0 || !pfMember) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    HashOwner hash;
    hash.p = PshVLIBSzHashAlloc(1024);
    if (!hash.p) {
        VORL_ERR(ERR_OUT_OF_MEMORY);
        return -1;
    }
    if (VLIBFileGetSection(kSmbConf, "global", &hash.p) < 0) {
        VORL_LOG_ERR("VLIBFileGetSection failed [%X]!!", VLIBErrGet());
        return -1;
    }

    const char *szSecurity = SzVLIBSzHashGetValue(hash.p, "security");
    if (!szSecurity) {
        VORL_LOG_ERR("key [security] not found or error!!");
        VORL_ERR(ERR_NOT_FOUND);
        return -1;
    }
    bool fAds = strcmp(szSecurity, "ads") == 0;
    const char *szDomain = SzVLIBSzHashGetValue(hash.p, fAds ? "realm" : "workgroup");
    if (!szDomain) {
        if (fAds)
            VORL_LOG_ERR("key [realm] not found or error!!");
        else
            VORL_LOG_ERR("key [workgroup] not found or error!!");
        VORL_ERR(ERR_NOT_FOUND);
        return -1;
    }

    memset(szName, 0, static_cast<size_t>(cbName));
    strncpy(szName, szDomain, static_cast<size_t>(cbName - 1));
    *pfMember = (fAds || strcmp(szSecurity, "domain") == 0) ? 1 : 0;
    if (pfRunning) *pfRunning = IsSambaRunning();
    return 0;
}
