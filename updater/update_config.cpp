// The configuration stage: brings the old firmware's settings into the shape
// the new firmware expects. A counted failure makes the driver roll the flash
// back (result 17).
#include <errno.h>
#include <string.h>
#include <syslog.h>
#include <unistd.h>

#include "updater.h"

namespace {

// Removes a file the new firmware replaces; a missing file is fine. Answers 0
// or the errno of the failure.
int RemoveFile(const char *szPath) {
    if (unlink(szPath) == 0 || errno == ENOENT) return 0;
    return errno;
}

#define LOG_UPDATE_FAILED(path, err)                                                       \
    syslog(LOG_ERR, "%s:%d(%s) Failed to update [%s], errno=(%d)[%s]", VORL_SRC, __LINE__, \
           "UPDTUpdateConfig", path, err, strerror(err))
#define LOG_REMOVE_FAILED(what, err)                                                           \
    syslog(LOG_ERR, "%s:%d(%s) Failed to remove " what ", errno=(%d)[%s]", VORL_SRC, __LINE__, \
           "UPDTUpdateConfig", err, strerror(err))

}  // namespace

int UPDTUpdateConfig(void) {
    int result = 0;
    int err = 0;
    if (gblRemoveAtalkRc && (err = RemoveFile("/usr/vorl/etc/rc.atalk"))) {
        LOG_UPDATE_FAILED("/usr/vorl/etc/rc.atalk", err);
        result = -1;
    }
    if (gblRemovePapdConf && (err = RemoveFile("/usr/vorl/etc/papd.conf"))) {
        LOG_UPDATE_FAILED("/usr/vorl/etc/papd.conf", err);
        result = -1;
    }
    if (gblCreateFtpAccounts) UPDTNotYetBuilt("settings migration step 3 (FTP accounts)");
    if (gblRemoveProfile && (err = RemoveFile("/etc/profile"))) {
        LOG_REMOVE_FAILED("/etc/profile", err);
        result = -1;
    }
    if (gblRemoveJumboFrameRc && (err = RemoveFile("/usr/vorl/etc/rc.d/S78JumboFrame.sh"))) {
        LOG_REMOVE_FAILED("/usr/vorl/etc/rc.d", err);
        result = -1;
    }
    if ((err = RemoveFile("/usr/vorl/etc/manutil.conf"))) {
        LOG_UPDATE_FAILED("/usr/vorl/etc/manutil.conf", err);
        result = -1;
    }
    if (gblSaveWriteableConfig) {
        UPDTNotYetBuilt("settings migration step 7 (/writeable configuration)");
    }
    if ((err = RemoveFile("/usr/vorl/etc/php.ini"))) {
        LOG_REMOVE_FAILED("/usr/vorl/etc/php.ini", err);  // not counted
    }

    UPDTNotYetBuilt("settings migration step 9 (crontab clean-up)");
    struct Pending {
        int flag;
        const char *step;
    } const pending[] = {
        {gblConvertJumboMtu, "settings migration step 10 (jumbo-frame MTU values)"},
        {gblMoveMtuValue, "settings migration step 11 (MTUValue to eth0_mtu)"},
        {gblRewriteHomePaths, "settings migration step 12 (home paths in /etc/passwd)"},
        {gblCreateUserConf, "settings migration step 13 (/etc/vorluser.conf)"},
        {gblCreateMailAccounts, "settings migration step 14 (mail service accounts)"},
        {gblCopyBondMtu, "settings migration step 15 (bond0 MTU)"},
        {gblConvertFtpWriteOnly, "settings migration step 16 (FTP write-only flag)"},
        {gblRemoveAlb, "settings migration step 17 (adaptive load balancing)"},
        {gblConvertFtpBlockIp, "settings migration step 18 (FTP blocked addresses)"},
        {gblLinkSqueezeCenterErrmsg, "settings migration step 19 (SqueezeCenter message files)"},
        {gblRemoveEventTest, "settings migration step 20 (key eventtest)"},
    };
    for (const Pending &p : pending) {
        if (p.flag) UPDTNotYetBuilt(p.step);
    }
    return result;
}
