#include <string.h>
#include <syslog.h>

#include "core/err_internal.h"
#include "encoding/str_crypt_tables.h"

#include <vorl/encoding.h>

extern "C" int VORLStrCrypt(const char *szIn, char *szOut, int cbOut) {
    if (!szIn || !szOut) {
        syslog(LOG_ERR, "%s %s(%d): wrong parameters", VORL_SRC, __func__, __LINE__);
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    size_t cchIn = strlen(szIn);
    if (cbOut <= 0 || static_cast<size_t>(cbOut) <= cchIn) {
        syslog(LOG_ERR, "%s %s(%d): iLen is not enough!!", VORL_SRC, __func__, __LINE__);
        VORL_ERR(ERR_BUFFER_TOO_SMALL);
        return -1;
    }
    memset(szOut, 0, static_cast<size_t>(cbOut));
    const vorl::encoding::StrCryptTables &t = vorl::encoding::GetStrCryptTables();
    // f (fast) is the byte index mod 256; s (slow) advances each time f wraps.
    for (size_t i = 0; i < cchIn; ++i)
        szOut[i] = static_cast<char>(vorl::encoding::StrCryptByte(t, static_cast<uint8_t>(szIn[i]),
                                                                  static_cast<uint8_t>(i),
                                                                  static_cast<uint8_t>(i >> 8)));
    return 0;
}
