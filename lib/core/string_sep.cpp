#include <string.h>

#include "core/string_internal.h"

#include <vorl/str_util.h>

extern "C" int VLIBStrSep(const char *sz, const char *szDelim, SzList **ppList) {
    if (!sz || !szDelim || !ppList || !*ppList) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    // Two delimiters in a row give an empty entry between them.
    return vorl::str::PushTokens(sz, szDelim, ppList, strsep);
}
