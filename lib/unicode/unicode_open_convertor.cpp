#include <string.h>

#include "unicode/unicode_internal.h"

#include <vorl/unicode.h>

namespace vorl {

namespace {

// Converter index to the appliance's converter name.
const char *const kConverterNames[VLIB_CONVERTER_COUNT] = {
    "UTF-8",                   // 0
    "UTF-16",                  // 1
    "vorl_win_english",        // 2
    "vorl_win_greek",          // 3
    "vorl_win_westeuro",       // 4
    "vorl_win_latin2",         // 5
    "vorl_win_turkish",        // 6
    "vorl_win_icelandic",      // 7
    "vorl_win_cyrillic",       // 8
    "vorl_win_japanese",       // 9
    "vorl_win_chinsimp",       // 10
    "vorl_win_korean",         // 11
    "vorl_win_chintrad",       // 12
    "vorl_win_easteuro_1250",  // 13
    "vorl_win_cyrillic_1251",  // 14
    "vorl_win_westeuro_1252",  // 15
    "vorl_win_greek_1253",     // 16
    "vorl_win_turkish_1254",   // 17
    "vorl_mac_eng_euro",       // 18
    "vorl_mac_greek",          // 19
    "vorl_mac_eng_euro",       // 20
    "vorl_mac_eng_euro",       // 21
    "vorl_mac_turkish",        // 22
    "vorl_mac_eng_euro",       // 23
    "vorl_mac_cyrillic",       // 24
    "vorl_mac_japanese",       // 25
    "vorl_mac_chinsimp",       // 26
    "vorl_mac_korean",         // 27
    "vorl_mac_chintrad",       // 28
    "vorl_mac_eng_euro",       // 29
    "vorl_mac_cyrillic",       // 30
    "vorl_mac_eng_euro",       // 31
    "vorl_mac_greek",          // 32
    "vorl_mac_turkish",        // 33
};

// The appliance's converter names to the standard ICU converters that map
// the same code pages. The unsuffixed "win" names are the DOS (OEM) pages of
// the Windows clients; ICU has no Mac tables for the CJK scripts, so those
// take the standard encoding each Mac table extends.
struct ConverterAlias {
    const char *szVorl;
    const char *szIcu;
};
const ConverterAlias kConverterAliases[] = {
    {"vorl_win_english", "ibm-437"},
    {"vorl_win_greek", "ibm-737"},
    {"vorl_win_westeuro", "ibm-850"},
    {"vorl_win_latin2", "ibm-852"},
    {"vorl_win_turkish", "ibm-857"},
    {"vorl_win_icelandic", "ibm-861"},
    {"vorl_win_cyrillic", "ibm-866"},
    {"vorl_win_japanese", "windows-932"},
    {"vorl_win_chinsimp", "windows-936-2000"},
    {"vorl_win_korean", "windows-949-2000"},
    {"vorl_win_chintrad", "windows-950-2000"},
    {"vorl_win_easteuro_1250", "windows-1250"},
    {"vorl_win_cyrillic_1251", "windows-1251"},
    {"vorl_win_westeuro_1252", "windows-1252"},
    {"vorl_win_greek_1253", "windows-1253"},
    {"vorl_win_turkish_1254", "windows-1254"},
    {"vorl_mac_eng_euro", "macintosh"},
    {"vorl_mac_greek", "x-mac-greek"},
    {"vorl_mac_turkish", "x-mac-turkish"},
    {"vorl_mac_cyrillic", "x-mac-cyrillic"},
    {"vorl_mac_japanese", "Shift_JIS"},
    {"vorl_mac_chinsimp", "EUC-CN"},
    {"vorl_mac_korean", "EUC-KR"},
    {"vorl_mac_chintrad", "Big5"},
};

const char *IcuName(const char *szName) {
    for (const ConverterAlias &alias : kConverterAliases)
        if (strcmp(alias.szVorl, szName) == 0) return alias.szIcu;
    return szName;  // "UTF-8", "UTF-16"
}

}  // namespace

UConverter *UnicodeOpenConvertor(int index, UniStatus *pst) {
    static UConverter *gConverters[VLIB_CONVERTER_COUNT] = {};  // kept for the process
    if (index < 0 || index >= VLIB_CONVERTER_COUNT) {
        *pst = UniStatus::kBadParameters;
        return nullptr;
    }
    if (gConverters[index]) return gConverters[index];
    const char *szName = kConverterNames[index];
    if (!szName) {
        *pst = UniStatus::kOpen;
        return nullptr;
    }
    UErrorCode status = U_ZERO_ERROR;  // windows-125x open with an alias warning
    UConverter *pConv = ucnv_open(IcuName(szName), &status);
    if (U_FAILURE(status) || !pConv) {
        if (pConv) ucnv_close(pConv);
        *pst = status == U_MEMORY_ALLOCATION_ERROR ? UniStatus::kOutOfMemory : UniStatus::kOpen;
        return nullptr;
    }
    gConverters[index] = pConv;
    return pConv;
}

}  // namespace vorl
