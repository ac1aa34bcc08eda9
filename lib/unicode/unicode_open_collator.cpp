#include "unicode/unicode_internal.h"

namespace vorl {

UCollator *UnicodeOpenCollator(UniStatus *pst) {
    static UCollator *gpCollator = nullptr;  // kept for the life of the process
    if (gpCollator) return gpCollator;
    const char *locale = UnicodeGetLocale();
    if (!locale) {
        *pst = UniStatus::kLocale;
        return nullptr;
    }
    // Always a named locale: with no locale ICU falls back to the process
    // default, which compares in plain code-point order under LANG=C.
    UErrorCode status = U_ZERO_ERROR;
    UCollator *pCollator = ucol_open(locale, &status);
    if (U_FAILURE(status) || !pCollator) {
        if (pCollator) ucol_close(pCollator);
        *pst = status == U_MEMORY_ALLOCATION_ERROR ? UniStatus::kOutOfMemory : UniStatus::kOpen;
        return nullptr;
    }
    gpCollator = pCollator;
    return gpCollator;
}

}  // namespace vorl
