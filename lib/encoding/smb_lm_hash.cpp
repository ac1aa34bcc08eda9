#include <nettle/des.h>
#include <string.h>

#include "core/err_internal.h"

#include <vorl/encoding.h>
#include <vorl/unicode.h>

namespace {

constexpr int kTextSize = 128;
constexpr int kLmPasswordLen = 14;
// The converter column of the "codepage" setting that gives the DOS code
// pages (the LM hash is computed over the DOS form of the password).
constexpr int kDosCodePageKind = 2;

// Seven key bytes spread over the high seven bits of eight DES key bytes (the
// parity bits, which DES ignores, are left 0).
void ExpandKey(const uint8_t *p7, uint8_t *p8) {
    p8[0] = p7[0] >> 1;
    p8[1] = static_cast<uint8_t>((p7[0] & 0x01) << 6 | p7[1] >> 2);
    p8[2] = static_cast<uint8_t>((p7[1] & 0x03) << 5 | p7[2] >> 3);
    p8[3] = static_cast<uint8_t>((p7[2] & 0x07) << 4 | p7[3] >> 4);
    p8[4] = static_cast<uint8_t>((p7[3] & 0x0F) << 3 | p7[4] >> 5);
    p8[5] = static_cast<uint8_t>((p7[4] & 0x1F) << 2 | p7[5] >> 6);
    p8[6] = static_cast<uint8_t>((p7[5] & 0x3F) << 1 | p7[6] >> 7);
    p8[7] = p7[6] & 0x7F;
    for (int i = 0; i < 8; ++i)
        p8[i] = static_cast<uint8_t>(p8[i] << 1);
}

// Clears the password copies on every way out.
struct Scratch {
    char szUpper[kTextSize] = {};
    char szDos[kTextSize] = {};
    uint8_t rgbPasswd[kLmPasswordLen] = {};
    uint8_t rgbKey[8] = {};
    des_ctx ctx = {};
    ~Scratch() { explicit_bzero(this, sizeof(*this)); }
};

}  // namespace

extern "C" int VLIBSmbLMHash(const char *szPasswd, unsigned char *pOut, int cbOut) {
    if (!szPasswd || !pOut) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    if (cbOut < VORL_SMB_HASH_LEN) {
        VORL_ERR(ERR_BUFFER_TOO_SMALL);
        return -1;
    }
    Scratch w;
    // Upper-case, then the DOS code page. A text that does not fit comes back
    // empty (and its length at or above the size).
    int cch = VLIBUnicodeUTF8StrUpper(szPasswd, w.szUpper, kTextSize);
    if (cch < 0) return -1;
    if (*szPasswd && (cch == 0 || cch >= kTextSize)) {
        VORL_ERR(ERR_BUFFER_TOO_SMALL);
        return -1;
    }
    int index = 0;
    if (VLIBConfCodePageGet(kDosCodePageKind, &index) != 0) return -1;
    cch = VLIBUnicodeStrUTF8ToCP(index, w.szUpper, w.szDos, kTextSize);
    if (cch < 0) return -1;
    if (*w.szUpper && (cch == 0 || cch >= kTextSize)) {
        VORL_ERR(ERR_BUFFER_TOO_SMALL);
        return -1;
    }

    memcpy(w.rgbPasswd, w.szDos, cch < kLmPasswordLen ? static_cast<size_t>(cch) : kLmPasswordLen);
    static const uint8_t kMagic[8] = {'K', 'G', 'S', '!', '@', '#', '$', '%'};
    for (int half = 0; half < 2; ++half) {
        ExpandKey(w.rgbPasswd + 7 * half, w.rgbKey);
        des_set_key(&w.ctx, w.rgbKey);  // 0 for weak keys (an empty half), which still work
        des_encrypt(&w.ctx, 8, pOut + 8 * half, kMagic);
    }
    return 0;
}
