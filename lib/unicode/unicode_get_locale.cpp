#include <string.h>

#include "unicode/unicode_internal.h"

#include <vorl/err.h>

namespace vorl {

namespace {
// The locale upper-casing and collation use; empty means ICU's root rules.
const char gszUnicodeLocale[] = "";

const char *const kSupportedLocales[] = {
    "",      "de_DE", "en_US", "es_ES",      "fr_FR",        "it_IT",
    "ja_JP", "ko_KR", "pt_BR", "zh__PINYIN", "zh_TW_STROKE",
};
}  // namespace

const char *UnicodeGetLocale() {
    static const char *checked = [] {
        for (const char *name : kSupportedLocales)
            if (strcmp(name, gszUnicodeLocale) == 0) return gszUnicodeLocale;
        return static_cast<const char *>(nullptr);
    }();
    return checked;
}

unsigned int UniStatusCode(UniStatus st) {
    switch (st) {
        case UniStatus::kOk:
            return 0;
        case UniStatus::kBadParameters:
            return ERR_BAD_PARAMETERS;
        case UniStatus::kOutOfMemory:
            return ERR_OUT_OF_MEMORY;
        case UniStatus::kConvert:
            return kErrUnicodeConvert;
        case UniStatus::kOpen:
            return ERR_OPEN_FAILED;
        case UniStatus::kLocale:
            return ERR_NOT_FOUND;
    }
    return kErrUnicodeConvert;
}

}  // namespace vorl
