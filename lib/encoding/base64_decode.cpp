#include <nettle/base64.h>
#include <string.h>

#include <vector>

#include "core/api_guard.h"
#include "core/err_internal.h"

#include <vorl/encoding.h>

namespace {

bool IsBase64Char(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '/';
}

// Groups of four alphabet characters; '=' only as the last one or two.
bool IsWellFormed(const char *sz, int cch) {
    if (cch % 4 != 0) return false;
    int cPad = 0;
    if (cch > 0 && sz[cch - 1] == '=') cPad = (cch > 1 && sz[cch - 2] == '=') ? 2 : 1;
    for (int i = 0; i < cch - cPad; ++i)
        if (!IsBase64Char(sz[i])) return false;
    return true;
}

}  // namespace

extern "C" int UPDTBase64Decode(const char *szText, int cchText, void *pBuf, int *pcbBuf) {
    if (!szText || cchText < 0 || !pBuf || !pcbBuf || *pcbBuf < 0) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return 0;
    }
    int cbLimit = *pcbBuf;
    *pcbBuf = 0;
    if (!IsWellFormed(szText, cchText)) return 0;
    return vorl::Guard(0, [&] {
        // Nettle also refuses padding whose unused bits are not zero.
        std::vector<uint8_t> decoded(BASE64_DECODE_LENGTH(static_cast<size_t>(cchText)) + 1);
        size_t cb = decoded.size();
        base64_decode_ctx ctx;
        base64_decode_init(&ctx);
        if (!base64_decode_update(&ctx, &cb, decoded.data(), static_cast<size_t>(cchText),
                                  szText) ||
            !base64_decode_final(&ctx))
            return 0;
        bool fFits = cb <= static_cast<size_t>(cbLimit);
        size_t cbCopy = fFits ? cb : static_cast<size_t>(cbLimit);
        memcpy(pBuf, decoded.data(), cbCopy);
        *pcbBuf = static_cast<int>(cbCopy);
        explicit_bzero(decoded.data(), decoded.size());
        return fFits ? 1 : 0;
    });
}
