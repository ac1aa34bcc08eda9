#include <nettle/base64.h>
#include <string.h>

#include "core/err_internal.h"

#include <vorl/encoding.h>

extern "C" char *SzBase64EncodeOneLine(const void *pData, int cbData) {
    static char szText[VORL_BASE64_ONE_LINE_SIZE];
    if (!pData || cbData < 0) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return nullptr;
    }
    size_t cb = strnlen(static_cast<const char *>(pData), static_cast<size_t>(cbData));
    if (BASE64_ENCODE_RAW_LENGTH(cb) >= sizeof(szText)) {
        VORL_ERR(ERR_BUFFER_TOO_SMALL);
        return nullptr;
    }
    base64_encode_raw(szText, cb, static_cast<const uint8_t *>(pData));
    szText[BASE64_ENCODE_RAW_LENGTH(cb)] = '\0';
    return szText;
}
