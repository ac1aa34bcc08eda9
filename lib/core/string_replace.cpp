#include <string.h>

#include <string>

#include "core/api_guard.h"

#include <vorl/str_util.h>

extern "C" int VLIBStrReplace(char *sz, const char *szOld, const char *szNew, char *szOut,
                              int cbLimit) {
    if (!sz || !szOld || !szNew || cbLimit < 0) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    size_t len = strlen(sz), cbOld = strlen(szOld), cbNew = strlen(szNew);
    if (static_cast<int64_t>(len) - static_cast<int64_t>(cbOld) + static_cast<int64_t>(cbNew) >
        cbLimit) {
        VORL_ERR(ERR_BUFFER_TOO_SMALL);
        return -1;
    }
    const char *pHit = strstr(sz, szOld);
    if (!pHit) return 0;
    return vorl::Guard(-1, [&] {
        // Built apart first, so that any overlap of the texts is harmless.
        std::string result(sz, static_cast<size_t>(pHit - sz));
        result += szNew;
        result += pHit + cbOld;
        char *szDst = szOut ? szOut : sz;
        memcpy(szDst, result.c_str(), result.size() + 1);
        return 1;
    });
}
