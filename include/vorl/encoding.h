/* Password hashes, the reversible password encoding and base64. */
#ifndef VORL_ENCODING_H
#define VORL_ENCODING_H

#include <vorl/defs.h>

#define VORL_SMB_HASH_LEN 16           /* bytes of an LM or NT hash */
#define VORL_NT_HASH_MAX_UNITS 127     /* UTF-16 units of a password the NT hash uses */
#define VORL_BASE64_ONE_LINE_SIZE 2048 /* the buffer of SzBase64EncodeOneLine */

VORL_BEGIN_DECLS

/* The 16-byte LAN Manager hash of a UTF-8 password: upper-cased, converted
 * into the appliance's DOS code page (the "codepage" key of
 * /etc/vorlinfo.conf), cut or padded to 14 bytes, each half a DES key over
 * "KGS!@#$%". 0 or -1; cbOut below 16 is ERR_BUFFER_TOO_SMALL. */
VORL_API int VLIBSmbLMHash(const char *szPasswd, unsigned char *pOut, int cbOut);
/* The 16-byte NT hash (MD4 of the UTF-16LE password, at most 127 units). A
 * byte sequence that is not one- to three-byte UTF-8 ends the password there
 * (logged). 0 or -1; cbOut below 16 is ERR_BUFFER_TOO_SMALL. */
VORL_API int VLIBSmbNTHash(const char *szPasswd, unsigned char *pOut, int cbOut);
/* Scrambles the bytes of szIn into szOut (zeroed over cbOut first) with a
 * reversible rotor mapping; cbOut must exceed strlen(szIn). 0 or -1. The
 * result may hold zero bytes: its length is strlen(szIn). */
VORL_API int VORLStrCrypt(const char *szIn, char *szOut, int cbOut);
/* Standard base64 ('=' padding, no line breaks) of at most cbData bytes of
 * pData, stopping early at a NUL byte. The text lives in a static buffer of
 * VORL_BASE64_ONE_LINE_SIZE bytes that the next call overwrites. NULL for a
 * NULL input and for input whose text would not fit (more than 1533 bytes,
 * ERR_BUFFER_TOO_SMALL). */
VORL_API char *SzBase64EncodeOneLine(const void *pData, int cbData);
/* Decodes cchText characters of standard base64 into pBuf, writing at most
 * *pcbBuf bytes and storing the number written. 1 when the whole text is
 * valid base64 in groups of four ('=' only as padding) and fits, else 0. */
VORL_API int UPDTBase64Decode(const char *szText, int cchText, void *pBuf, int *pcbBuf);

VORL_END_DECLS

#endif /* VORL_ENCODING_H */
