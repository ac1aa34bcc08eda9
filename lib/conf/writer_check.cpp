#include "conf/writer_check.h"

#include <string.h>

namespace vorl {

bool TextFitsOnLine(const char *sz) {
    return !sz || !strpbrk(sz, "\r\n");
}

bool HashFitsOnLines(const SzHash *pHash) {
    if (!pHash) return true;
    // Slot references are byte offsets from the start of the block.
    const char *pBase = reinterpret_cast<const char *>(pHash);
    for (int32_t i = 0; i < pHash->nSlot; ++i) {
        const SzHashSlot &slot = pHash->rgSlot[i];
        if (!slot.offKey) continue;
        if (!TextFitsOnLine(pBase + slot.offKey) ||
            (slot.offValue && !TextFitsOnLine(pBase + slot.offValue)))
            return false;
    }
    return true;
}

}  // namespace vorl
