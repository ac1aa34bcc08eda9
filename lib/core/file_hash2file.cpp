#include <stdio.h>

#include "core/api_guard.h"
#include "core/hash_internal.h"
#include "core/kv_format.h"

extern "C" int VLIBFileHash2File(FILE *fp, const char *szSection, const SzHash *pHash,
                                 const char *szFormat) {
    if (!fp) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    return vorl::Guard(-1, [&] {
        vorl::KeyValueFormat format;
        if (!format.Parse(szFormat ? szFormat : "%s=%s\n", true)) {
            VORL_ERR(ERR_BAD_PARAMETERS);
            return -1;
        }
        if (szSection && fprintf(fp, "[%s]\n", szSection) < 0) {
            VORL_ERR(ERR_WRITE_FAILED);
            return -1;
        }
        if (!pHash) return 0;
        for (int32_t i = 0; i < pHash->nSlot; ++i) {
            const SzHashSlot &slot = pHash->rgSlot[i];
            if (!slot.offKey) continue;
            if (!format.Write(fp, vorl::HashText(pHash, slot.offKey),
                              vorl::HashText(pHash, slot.offValue))) {
                VORL_ERR(ERR_WRITE_FAILED);
                return -1;
            }
        }
        return 0;
    });
}
