#include <errno.h>
#include <sys/ioctl.h>
#include <syslog.h>

#include <vorl/mtd.h>

#include "core/err_internal.h"
#include "core/raii.h"
#include "mtd/mtd_internal.h"

int VORLMTDModifyFISEntry(const char *szDevice, const VORL_MTD_FIS_RECORD *pRecord) {
    if (!szDevice || !pRecord) {
        syslog(LOG_ERR, "%s(%d): parameter error", __func__, __LINE__);
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    vorl::UniqueFd fd = vorl::mtd::OpenForChange(szDevice, nullptr, VORL_MTD_CALLER);
    if (!fd) return -1;
    // The driver copies the record: pass a private copy it may not alter.
    VORL_MTD_FIS_RECORD record = *pRecord;
    if (ioctl(fd.get(), VORL_MTD_SET_FIS_ENTRY, &record) != 0) {
        syslog(LOG_ERR, "%s: Failed to set the mtd info of %s by ioctl, errno = %d\n", __func__,
               szDevice, errno);
        VORL_ERR(ERR_WRITE_FAILED);
        return -1;
    }
    return 0;
}
