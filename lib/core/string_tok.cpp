#include <string>

#include "core/api_guard.h"

#include <vorl/str_util.h>

extern "C" int VLIBStrTok(const char *sz, const char *szDelim, SzList **ppList) {
    if (!sz || !szDelim || !ppList || !*ppList) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    return vorl::Guard(-1, [&] {
        std::string copy(sz);
        char *cursor = copy.data();
        int n = 0;
        while (char *szTok = VLIBStrTokNext(&cursor, szDelim)) {
            if (VLIBSzListPush(ppList, szTok) < 0) return -1;  // pushed entries stay
            ++n;
        }
        return n;
    });
}
