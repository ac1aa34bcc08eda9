// Helpers shared by the string operations. They set no error code of their
// own (but for an allocation failure): each operation reports under its own
// file name.
#pragma once

#include <string.h>

#include <string>

#include <vorl/str_util.h>

#include "core/api_guard.h"

namespace vorl::str {

// Pushes every token that next() cuts from a copy of sz onto *ppList; the
// number pushed, or -1 (entries pushed before a failure stay).
inline int PushTokens(const char *sz, const char *szDelim, SzList **ppList,
                      char *(*next)(char **, const char *)) {
    return Guard(-1, [&] {
        std::string copy(sz);
        char *cursor = copy.data();
        int n = 0;
        while (char *szTok = next(&cursor, szDelim)) {
            if (VLIBSzListPush(ppList, szTok) < 0) return -1;
            ++n;
        }
        return n;
    });
}

// The arguments of a colon encode or decode: both strings given, a
// non-negative limit, and a source and destination that share no bytes.
// The source's length in *pcbSrc.
inline bool ColonArgsOk(const char *szSrc, const char *szDst, int cbLimit, size_t *pcbSrc) {
    if (!szSrc || !szDst || cbLimit < 0) return false;
    *pcbSrc = strlen(szSrc);
    return !(szDst < szSrc + *pcbSrc + 1 && szSrc < szDst + cbLimit + 1);
}

}  // namespace vorl::str
