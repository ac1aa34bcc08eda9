#include <limits.h>
#include <string.h>

#include "core/api_guard.h"
#include "unicode/unicode_internal.h"

#include <vorl/unicode.h>

extern "C" int VLIBUnicodeStrUTF8ToCP(int index, const char *szSrc, char *szDst, int cbDst) {
    if (!szSrc || cbDst < 0 || (!szDst && cbDst > 0) || index < 0 ||
        index >= VLIB_CONVERTER_COUNT) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    if (index == 0) return vorl::UnicodeCopyOut(szSrc, szDst, cbDst);  // UTF-8 itself
    return vorl::Guard(-1, [&] {
        vorl::UniStatus st = vorl::UniStatus::kOk;
        UConverter *pConv = vorl::UnicodeOpenConvertor(index, &st);
        std::u16string utf16;
        if (pConv) st = vorl::UnicodeUTF8ToUTF16(szSrc, utf16);
        if (st != vorl::UniStatus::kOk) {
            VORL_ERR(vorl::UniStatusCode(st));
            return -1;
        }
        size_t cbMax = static_cast<size_t>(ucnv_getMaxCharSize(pConv)) * utf16.size() + 1;
        if (cbMax > INT32_MAX) {
            VORL_ERR(ERR_OUT_OF_MEMORY);
            return -1;
        }
        std::string out(cbMax, '\0');
        UErrorCode status;
        int32_t len;
        for (;;) {
            status = U_ZERO_ERROR;
            ucnv_resetFromUnicode(pConv);
            len = ucnv_fromUChars(pConv, out.data(), static_cast<int32_t>(out.size()), utf16.data(),
                                  static_cast<int32_t>(utf16.size()), &status);
            // A converter that adds a byte-order mark can pass the estimate.
            if (status != U_BUFFER_OVERFLOW_ERROR || static_cast<size_t>(len) < out.size()) break;
            out.assign(static_cast<size_t>(len) + 1, '\0');
        }
        if (U_FAILURE(status)) {
            VORL_ERR(status == U_MEMORY_ALLOCATION_ERROR ? ERR_OUT_OF_MEMORY
                                                         : vorl::kErrUnicodeConvert);
            return -1;
        }
        out.resize(static_cast<size_t>(len));
        return vorl::UnicodeCopyOut(out, szDst, cbDst);
    });
}
