#include <string.h>

#include <string>

#include "core/api_guard.h"

#include <vorl/str_util.h>

extern "C" int VLIBStrSepPair(const char *sz, SzList **ppList) {
    if (!sz || !ppList || !*ppList) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    return vorl::Guard(-1, [&] {
        std::string copy(sz);
        char *szKey = copy.data();
        char *szValue = strchr(szKey, '=');
        if (szValue) *szValue++ = '\0';
        if (VLIBStrTrimSpace(szKey, nullptr) <= 0) {  // an empty key
            VORL_ERR(ERR_BAD_PARAMETERS);
            return -1;
        }
        if (VLIBSzListPush(ppList, szKey) < 0) return -1;
        if (!szValue) {  // the key alone is pushed
            VORL_ERR(ERR_BAD_PARAMETERS);
            return -1;
        }
        VLIBStrTrimSpace(szValue, nullptr);
        if (VLIBSzListPush(ppList, szValue) < 0) return -1;
        return 0;
    });
}
