// Module-private helpers of the Unicode functions, shared with the string
// list's case-insensitive order.
#pragma once

#include <unicode/ucnv.h>
#include <unicode/ucol.h>
#include <unicode/utypes.h>

#include <string>
#include <string_view>

namespace vorl {

// ICU conversion failures (invalid UTF-8 included) raise this library code.
constexpr unsigned int kErrUnicodeConvert = 0x8000;

// The outcome of a helper, turned into a library code by the public function.
enum class UniStatus { kOk, kBadParameters, kOutOfMemory, kConvert, kOpen, kLocale };
unsigned int UniStatusCode(UniStatus st);

// The process-wide locale for upper-casing and collation ("" for ICU's root
// rules), checked once against the supported names; nullptr when it is not
// one of them.
const char *UnicodeGetLocale();

// The process-wide collator, opened on first use; nullptr (status set) when
// it cannot be opened, in which case the next call tries again.
UCollator *UnicodeOpenCollator(UniStatus *pst);

// The converter of a converter index, opened on first use and kept; nullptr
// (status set) when the index has none or it cannot be opened.
UConverter *UnicodeOpenConvertor(int index, UniStatus *pst);

// Maps a code-page setting value to its Windows and Mac converter indexes;
// false when the name is not in the table.
bool UnicodeCodepageValueParse(const char *szName, int *pWindows, int *pMac);

// UTF-16 upper-casing with the process locale.
UniStatus UnicodeUpperUTF16(std::u16string_view src, std::u16string &out);
// UTF-8 text converted to UTF-16 and upper-cased.
UniStatus UnicodeUpperUTF8ToUTF16(const char *sz, std::u16string &out);
// UTF-8 text converted to UTF-16 (invalid UTF-8 is kConvert).
UniStatus UnicodeUTF8ToUTF16(const char *sz, std::u16string &out);

// UTF-16 text converted to UTF-8.
UniStatus UnicodeUTF16ToUTF8(std::u16string_view src, std::string &out);

// The destination rule of the converting functions: the result is copied
// (with its NUL) when it is shorter than cbDst, else the destination is
// emptied; cbDst 0 only measures. Answers the result's length.
int UnicodeCopyOut(std::string_view result, char *szDst, int cbDst);

// The case-insensitive order of sort mode 16, made total: texts that can be
// upper-cased compare as VLIBUnicodeUTF8StrCaseCmp does and sort before texts
// that cannot (invalid UTF-8), which compare by bytes among themselves.
struct CaseKey {
    const char *sz = nullptr;
    std::u16string upper;
    bool ok = false;
};
void UnicodeMakeCaseKey(const char *sz, CaseKey &key);
int UnicodeCaseKeyCompare(const CaseKey &a, const CaseKey &b);

}  // namespace vorl
