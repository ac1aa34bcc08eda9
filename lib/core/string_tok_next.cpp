#include <string.h>

#include <vorl/str_util.h>

extern "C" char *VLIBStrTokNext(char **pszCursor, const char *szDelim) {
    if (!pszCursor || !szDelim) return nullptr;
    while (char *szTok = strsep(pszCursor, szDelim))
        if (*szTok) return szTok;  // empty tokens are skipped
    return nullptr;
}
