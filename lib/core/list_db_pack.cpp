#include <stdlib.h>
#include <string.h>

#include <bit>

#include "core/err_internal.h"
#include "core/list_internal.h"

// The block already holds offsets from its start, so on a little-endian host
// the packed record is the block byte for byte.
static_assert(std::endian::native == std::endian::little, "packed lists are little-endian");

extern "C" void *VORLListDBPack(const SzList *pList, int *pcbPacked) {
    if (!pList || pList->cbSize < SZLIST_HEADER_SIZE + 1) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return nullptr;
    }
    void *pPacked = malloc(static_cast<size_t>(pList->cbSize));
    if (!pPacked) {
        VORL_ERR(ERR_OUT_OF_MEMORY);
        return nullptr;
    }
    memcpy(pPacked, pList, static_cast<size_t>(pList->cbSize));
    if (pcbPacked) *pcbPacked = pList->cbSize;
    return pPacked;
}
