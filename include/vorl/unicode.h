/* Unicode case handling and code-page conversion. */
#ifndef VORL_UNICODE_H
#define VORL_UNICODE_H

#include <stdint.h>
#include <vorl/defs.h>

#define VLIB_CONVERTER_COUNT 34
#define VLIB_CODEPAGE_WINDOWS 1
#define VLIB_CODEPAGE_MAC 2
#define VLIB_CODEPAGE_WINDOWS_ALT 3
#define VLIB_CODEPAGE_MEDIA 4

VORL_BEGIN_DECLS

VORL_API int VLIBUnicodeUTF8StrUpper(const char *szSrc, char *szDst, int cbDst);
/* UTF-16 text in host byte order, NUL-terminated; *ppDst is a heap buffer of
 * cchDst units (or NULL), grown when the result needs more room. */
VORL_API int VLIBUnicodeUTF16StrUpper(const uint16_t *wszSrc, uint16_t **ppDst, int cchDst);
VORL_API int VLIBUnicodeUTF8StrCaseCmp(const char *sz1, const char *sz2);
VORL_API int VLIBUnicodeUTF8StrCountChar(const char *sz);
VORL_API int VLIBConfCodePageGet(int kind, int *pIndex);
VORL_API int VLIBUnicodeStrUTF8ToCP(int index, const char *szSrc, char *szDst, int cbDst);

VORL_END_DECLS

#endif /* VORL_UNICODE_H */
