#include "core/err_internal.h"
#include "unicode/unicode_internal.h"

#include <vorl/conf.h>
#include <vorl/unicode.h>

extern "C" int VLIBConfCodePageGet(int kind, int *pIndex) {
    if (kind < VLIB_CODEPAGE_WINDOWS || kind > VLIB_CODEPAGE_MEDIA) {
        VORL_LOG_ERR("Bad parameter (%d).", kind);
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    if (!pIndex) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    char szName[8] = "";
    const char *szKey = kind == VLIB_CODEPAGE_MEDIA ? "codepage_mediaservice" : "codepage";
    if (VLIBFileGetKeyValue(VORL_INFO_CONF, szKey, szName, sizeof(szName), 0) <= 0)
        return -1;  // missing key (ERR_NOT_FOUND) or unreadable file, code set by the reader
    int windows, mac;
    if (!vorl::UnicodeCodepageValueParse(szName, &windows, &mac)) {
        VORL_ERR(ERR_NOT_FOUND);
        return -1;
    }
    switch (kind) {
        case VLIB_CODEPAGE_MAC:
            *pIndex = mac;
            break;
        case VLIB_CODEPAGE_WINDOWS_ALT:
            // The second table is 16 further on; UTF-8 stays UTF-8 (index 16
            // would be a Greek page).
            *pIndex = windows == 0 ? 0 : windows + 16;
            break;
        default:
            *pIndex = windows;
            break;
    }
    return 0;
}
