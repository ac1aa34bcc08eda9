#include <unicode/ustring.h>

#include "core/api_guard.h"
#include "unicode/unicode_internal.h"

#include <vorl/unicode.h>

extern "C" int VLIBUnicodeUTF8StrCountChar(const char *sz) {
    if (!sz) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    return vorl::Guard(-1, [&] {
        std::u16string utf16;
        vorl::UniStatus st = vorl::UnicodeUTF8ToUTF16(sz, utf16);
        if (st != vorl::UniStatus::kOk) {
            VORL_ERR(vorl::UniStatusCode(st));
            return -1;
        }
        return static_cast<int>(u_countChar32(utf16.data(), static_cast<int32_t>(utf16.size())));
    });
}
