#include <stdlib.h>
#include <string.h>
#include <unicode/ustring.h>

#include <new>

#include "core/api_guard.h"
#include "unicode/unicode_internal.h"

#include <vorl/unicode.h>

namespace vorl {

UniStatus UnicodeUpperUTF16(std::u16string_view src, std::u16string &out) {
    const char *locale = UnicodeGetLocale();
    if (!locale) return UniStatus::kLocale;
    if (src.size() > INT32_MAX - 1) return UniStatus::kOutOfMemory;
    out.resize(src.size());  // upper-casing may lengthen the text: grown below
    for (;;) {
        UErrorCode status = U_ZERO_ERROR;
        int32_t len = u_strToUpper(out.data(), static_cast<int32_t>(out.size()), src.data(),
                                   static_cast<int32_t>(src.size()), locale, &status);
        if (status == U_BUFFER_OVERFLOW_ERROR && static_cast<size_t>(len) > out.size()) {
            out.resize(static_cast<size_t>(len));
            continue;
        }
        if (status == U_STRING_NOT_TERMINATED_WARNING) status = U_ZERO_ERROR;
        if (U_FAILURE(status))
            return status == U_MEMORY_ALLOCATION_ERROR ? UniStatus::kOutOfMemory
                                                       : UniStatus::kConvert;
        out.resize(static_cast<size_t>(len));
        return UniStatus::kOk;
    }
}

}  // namespace vorl

extern "C" int VLIBUnicodeUTF16StrUpper(const uint16_t *wszSrc, uint16_t **ppDst, int cchDst) {
    if (!wszSrc || !ppDst || cchDst < 0 || (!*ppDst && cchDst > 0)) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    return vorl::Guard(-1, [&] {
        size_t cchSrc = 0;
        while (wszSrc[cchSrc])
            ++cchSrc;
        std::u16string upper;
        vorl::UniStatus st = vorl::UnicodeUpperUTF16(
            std::u16string_view(reinterpret_cast<const char16_t *>(wszSrc), cchSrc), upper);
        if (st != vorl::UniStatus::kOk) {
            VORL_ERR(vorl::UniStatusCode(st));
            return -1;
        }
        // The caller's buffer grows to the result's length + 1 units when it
        // is too small; it is only replaced once the new one is in hand.
        if (upper.size() + 1 > static_cast<size_t>(cchDst)) {
            void *pNew = realloc(*ppDst, (upper.size() + 1) * sizeof(uint16_t));
            if (!pNew) {
                VORL_ERR(ERR_OUT_OF_MEMORY);
                return -1;
            }
            *ppDst = static_cast<uint16_t *>(pNew);
        }
        memcpy(*ppDst, upper.data(), upper.size() * sizeof(uint16_t));
        (*ppDst)[upper.size()] = 0;
        return static_cast<int>(upper.size());
    });
}
