#include <string.h>

#include "core/api_guard.h"
#include "unicode/unicode_internal.h"

#include <vorl/unicode.h>

namespace vorl {

namespace {
int CollateUpper(UCollator *pCollator, const std::u16string &a, const std::u16string &b) {
    UCollationResult r = ucol_strcoll(pCollator, a.data(), static_cast<int32_t>(a.size()), b.data(),
                                      static_cast<int32_t>(b.size()));
    return r == UCOL_LESS ? -1 : r == UCOL_GREATER ? 1 : 0;
}
}  // namespace

void UnicodeMakeCaseKey(const char *sz, CaseKey &key) {
    key.sz = sz;
    key.ok = UnicodeUpperUTF8ToUTF16(sz, key.upper) == UniStatus::kOk;
    if (!key.ok) key.upper.clear();
}

int UnicodeCaseKeyCompare(const CaseKey &a, const CaseKey &b) {
    if (a.ok && b.ok) {
        UniStatus st;
        if (UCollator *pCollator = UnicodeOpenCollator(&st))
            return CollateUpper(pCollator, a.upper, b.upper);
        // Without a collator the order is still total: code-unit order.
        int c = a.upper.compare(b.upper);
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    if (a.ok != b.ok) return a.ok ? -1 : 1;
    int c = strcmp(a.sz, b.sz);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

}  // namespace vorl

extern "C" int VLIBUnicodeUTF8StrCaseCmp(const char *sz1, const char *sz2) {
    if (!sz1 || !sz2) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -2;
    }
    return vorl::Guard(-2, [&] {
        vorl::UniStatus st = vorl::UniStatus::kOk;
        UCollator *pCollator = vorl::UnicodeOpenCollator(&st);
        std::u16string a, b;
        if (pCollator) st = vorl::UnicodeUpperUTF8ToUTF16(sz1, a);
        if (st == vorl::UniStatus::kOk) st = vorl::UnicodeUpperUTF8ToUTF16(sz2, b);
        if (st != vorl::UniStatus::kOk) {
            VORL_ERR(vorl::UniStatusCode(st));
            return -2;
        }
        return vorl::CollateUpper(pCollator, a, b);
    });
}
