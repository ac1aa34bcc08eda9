// The message file: the sentence the web page shows when the update refuses.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <syslog.h>
#include <unistd.h>

#include <vorl/conf.h>
#include <vorl/err.h>

#include "core/raii.h"
#include "updater.h"

int UPDTWriteMessage(const char *szSentence) {
    // The rewrite below follows the path; make sure it names a regular file of
    // ours and not a link (or a file) someone else left in /tmp.
    struct stat st;
    if (lstat(UPDT_MESSAGE_FILE, &st) == 0 && (!S_ISREG(st.st_mode) || st.st_uid != geteuid())) {
        if (unlink(UPDT_MESSAGE_FILE) != 0) {
            syslog(LOG_ERR, "%s(%d): cannot replace [%s], errno=%d", __func__, __LINE__,
                   UPDT_MESSAGE_FILE, errno);
            return -1;
        }
    }
    vorl::UniqueFd fd(open(UPDT_MESSAGE_FILE, O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (!fd || fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid()) {
        syslog(LOG_ERR, "%s(%d): cannot open [%s], errno=%d", __func__, __LINE__, UPDT_MESSAGE_FILE,
               errno);
        return -1;
    }
    if (VLIBFileSetKeyValue(UPDT_MESSAGE_FILE, "extramsg", szSentence, VORL_KEY_QUOTED_FORMAT) <=
        0) {
        syslog(LOG_ERR, "%s(%d): fail to write [%s], vorlerr=[0x%04X]", __func__, __LINE__,
               UPDT_MESSAGE_FILE, VLIBErrGet());
        return -1;
    }
    return 0;
}
