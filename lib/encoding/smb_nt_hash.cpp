#include <nettle/md4.h>
#include <string.h>

#include "core/err_internal.h"

#include <vorl/encoding.h>

extern "C" int VLIBSmbNTHash(const char *szPasswd, unsigned char *pOut, int cbOut) {
    if (!szPasswd || !pOut) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    if (cbOut < VORL_SMB_HASH_LEN) {
        VORL_ERR(ERR_BUFFER_TOO_SMALL);
        return -1;
    }

    // UTF-8 to UTF-16LE units: one-, two- and three-byte sequences only;
    // anything else ends the password where it stands.
    uint8_t rgbUnits[2 * VORL_NT_HASH_MAX_UNITS];
    int nUnits = 0;
    const auto *p = reinterpret_cast<const unsigned char *>(szPasswd);
    while (*p && nUnits < VORL_NT_HASH_MAX_UNITS) {
        unsigned unit;
        if (p[0] < 0x80) {
            unit = p[0];
            p += 1;
        } else if ((p[0] & 0xE0) == 0xC0 && (p[1] & 0xC0) == 0x80) {
            unit = (p[0] & 0x1Fu) << 6 | (p[1] & 0x3Fu);
            p += 2;
        } else if ((p[0] & 0xF0) == 0xE0 && (p[1] & 0xC0) == 0x80 && (p[2] & 0xC0) == 0x80) {
            unit = (p[0] & 0x0Fu) << 12 | (p[1] & 0x3Fu) << 6 | (p[2] & 0x3Fu);
            p += 3;
        } else {
            // The password itself stays out of the system log.
            VORL_LOG_ERR("Bad UTF-8 character after [%d]-th character of string: [%s]", nUnits,
                         "********");
            break;
        }
        rgbUnits[2 * nUnits] = static_cast<uint8_t>(unit);
        rgbUnits[2 * nUnits + 1] = static_cast<uint8_t>(unit >> 8);
        ++nUnits;
    }

    md4_ctx ctx;
    md4_init(&ctx);
    md4_update(&ctx, static_cast<size_t>(2 * nUnits), rgbUnits);
    md4_digest(&ctx, VORL_SMB_HASH_LEN, pOut);
    explicit_bzero(&ctx, sizeof(ctx));
    explicit_bzero(rgbUnits, sizeof(rgbUnits));
    return 0;
}
