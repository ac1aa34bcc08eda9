#include "core/string_internal.h"

#include <vorl/str_util.h>

extern "C" int VLIBStrTok(const char *sz, const char *szDelim, SzList **ppList) {
    if (!sz || !szDelim || !ppList || !*ppList) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    return vorl::str::PushTokens(sz, szDelim, ppList, VLIBStrTokNext);
}
