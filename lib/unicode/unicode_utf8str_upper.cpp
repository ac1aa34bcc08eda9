#include <limits.h>
#include <string.h>
#include <unicode/ustring.h>

#include "core/api_guard.h"
#include "unicode/unicode_internal.h"

#include <vorl/unicode.h>

namespace vorl {

namespace {
UniStatus FromIcu(UErrorCode status) {
    if (U_SUCCESS(status)) return UniStatus::kOk;
    return status == U_MEMORY_ALLOCATION_ERROR ? UniStatus::kOutOfMemory : UniStatus::kConvert;
}
}  // namespace

UniStatus UnicodeUTF8ToUTF16(const char *sz, std::u16string &out) {
    size_t cb = strlen(sz);
    if (cb > INT32_MAX - 1) return UniStatus::kOutOfMemory;
    out.resize(cb);  // never more UTF-16 units than UTF-8 bytes
    int32_t len = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8(out.data(), static_cast<int32_t>(out.size()), &len, sz, static_cast<int32_t>(cb),
                  &status);
    if (status == U_STRING_NOT_TERMINATED_WARNING) status = U_ZERO_ERROR;
    if (U_FAILURE(status)) return FromIcu(status);
    out.resize(static_cast<size_t>(len));
    return UniStatus::kOk;
}

UniStatus UnicodeUTF16ToUTF8(std::u16string_view src, std::string &out) {
    if (src.size() > (INT32_MAX - 1) / 3) return UniStatus::kOutOfMemory;
    out.resize(src.size() * 3);  // at most three bytes per UTF-16 unit
    int32_t len = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF8(out.data(), static_cast<int32_t>(out.size()), &len, src.data(),
                static_cast<int32_t>(src.size()), &status);
    if (status == U_STRING_NOT_TERMINATED_WARNING) status = U_ZERO_ERROR;
    if (U_FAILURE(status)) return FromIcu(status);
    out.resize(static_cast<size_t>(len));
    return UniStatus::kOk;
}

UniStatus UnicodeUpperUTF8ToUTF16(const char *sz, std::u16string &out) {
    std::u16string utf16;
    UniStatus st = UnicodeUTF8ToUTF16(sz, utf16);
    if (st != UniStatus::kOk) return st;
    return UnicodeUpperUTF16(utf16, out);
}

int UnicodeCopyOut(std::string_view result, char *szDst, int cbDst) {
    if (result.size() > INT_MAX) {
        VORL_ERR(ERR_BUFFER_TOO_SMALL);
        return -1;
    }
    int len = static_cast<int>(result.size());
    if (cbDst > 0) {
        if (len < cbDst) {
            memmove(szDst, result.data(), result.size());
            szDst[len] = '\0';
        } else {
            szDst[0] = '\0';  // callers compare the answer with their size
        }
    }
    return len;
}

}  // namespace vorl

extern "C" int VLIBUnicodeUTF8StrUpper(const char *szSrc, char *szDst, int cbDst) {
    if (!szSrc || cbDst < 0 || (!szDst && cbDst > 0)) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    return vorl::Guard(-1, [&] {
        std::u16string upper;
        std::string utf8;
        vorl::UniStatus st = vorl::UnicodeUpperUTF8ToUTF16(szSrc, upper);
        if (st == vorl::UniStatus::kOk) st = vorl::UnicodeUTF16ToUTF8(upper, utf8);
        if (st != vorl::UniStatus::kOk) {
            VORL_ERR(vorl::UniStatusCode(st));
            return -1;
        }
        return vorl::UnicodeCopyOut(utf8, szDst, cbDst);
    });
}
