// VLIBFileLineKeyMatch: whether one line of a key="value" file carries a key.
#include <stdlib.h>
#include <string.h>

#include <vorl/conf.h>
#include <vorl/str_util.h>

#include "core/err_internal.h"
#include "core/raii.h"

int VLIBFileLineKeyMatch(char *szLine, const char *szKey) {
    if (!szLine || !szKey) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return 0;
    }
    if (szLine[0] == '#' || szLine[0] == ';') return 0;
    size_t cb = strlen(szLine);
    char *cursor = szLine;
    char *szPiece = VLIBStrTokNext(&cursor, "=");  // cuts the line at its '='
    if (!szPiece) return 0;
    vorl::MallocPtr<char> szTrimmed(static_cast<char *>(malloc(cb + 1)));
    if (!szTrimmed) {
        VORL_ERR(ERR_OUT_OF_MEMORY);
        return 0;
    }
    if (VLIBStrTrimSpace(szPiece, szTrimmed.get()) < 0) return 0;
    return strcmp(szTrimmed.get(), szKey) == 0 ? 1 : 0;
}
