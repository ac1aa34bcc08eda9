#include <syslog.h>

#include "core/api_guard.h"
#include "flash.h"
#include "flash_internal.h"

// The body; the operation below keeps every exception inside.
namespace body {

int GetIdxByName(const char *szName, const VORL_FIS_ENTRY *pEntries, int cEntries) {
    if (!szName || !pEntries) {
        syslog(LOG_ERR, "%s(%d): parameter error", __func__, __LINE__);
        return -1;
    }
    for (int i = 0; i < cEntries; i++)
        if (updt::EntryName(pEntries[i]) == szName) return i;
    syslog(LOG_ERR, "%s(%d): unknown partition name [%s]", __func__, __LINE__, szName);
    return -1;
}

}  // namespace body

int GetIdxByName(const char *szName, const VORL_FIS_ENTRY *pEntries, int cEntries) {
    return vorl::Guard(-1, [&] { return body::GetIdxByName(szName, pEntries, cEntries); });
}
