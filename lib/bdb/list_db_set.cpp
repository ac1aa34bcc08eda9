#include <stdlib.h>
#include <string.h>
#include <syslog.h>

#include <string>

#include "core/api_guard.h"
#include "core/err_internal.h"
#include "core/raii.h"

#include <vorl/bdb.h>
#include <vorl/sz_list.h>

extern "C" int VORLListDBSet(struct VORLBDB *pDB, const char *szName, const SzList *pList) {
    if (!pDB || !szName || !pList) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    return vorl::Guard(-1, [&] {
        // "#" and the name upper-cased byte by byte (C locale), NUL included.
        std::string key = "#";
        for (const char *p = szName; *p; ++p)
            key += (*p >= 'a' && *p <= 'z') ? static_cast<char>(*p - 'a' + 'A') : *p;

        int cbPacked = 0;
        vorl::MallocPtr<void> pPacked(VORLListDBPack(pList, &cbPacked));
        if (!pPacked) {
            syslog(LOG_ERR, "%s (%d): errno=%d, VORLListDBPack() failed, section[%s]\n", VORL_SRC,
                   __LINE__, VLIBErrGet(), szName);
            return -1;
        }
        if (VORLBDbSet(pDB, key.c_str(), static_cast<int>(key.size() + 1), pPacked.get(),
                       cbPacked) != 0) {
            syslog(LOG_ERR, "%s (%d): errno=%d, VORLBDbSet() failed, section[%s]\n", VORL_SRC,
                   __LINE__, VLIBErrGet(), szName);
            return -1;
        }
        return 0;
    });
}
