#include <stdlib.h>
#include <string.h>

#include <bit>

#include "core/err_internal.h"
#include "core/list_internal.h"

static_assert(std::endian::native == std::endian::little, "packed lists are little-endian");

namespace {

// A packed record read from a file is checked before it is trusted: every
// offset must lie inside the record and the strings must end inside it.
bool PackedIsSound(const char *p, int cbPacked) {
    SzList hdr;
    if (cbPacked < SZLIST_HEADER_SIZE + 1) return false;
    memcpy(&hdr, p, SZLIST_HEADER_SIZE);
    int64_t size = hdr.cbSize;
    if (size != cbPacked || hdr.nItem < 0 || hdr.offEnd != size - 1 || p[size - 1] != '\0')
        return false;
    int64_t entriesEnd = SZLIST_HEADER_SIZE + 4 * int64_t{hdr.nItem};
    if (hdr.offStrArea < entriesEnd || hdr.offStrArea > size) return false;
    if (hdr.cbFree != int64_t{hdr.offStrArea} - entriesEnd) return false;
    for (int i = 0; i < hdr.nItem; ++i) {
        uint32_t off;
        memcpy(&off, p + SZLIST_HEADER_SIZE + 4 * i, sizeof(off));
        // In the string area or the end byte; the end byte is 0, so each
        // string ends inside the record.
        if (off != hdr.offEnd && (off < hdr.offStrArea || off >= size)) return false;
    }
    return true;
}

}  // namespace

extern "C" SzList *VORLListDBUnpack(const void *pPacked, int cbPacked) {
    if (!pPacked || !PackedIsSound(static_cast<const char *>(pPacked), cbPacked)) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return nullptr;
    }
    auto *pList = static_cast<SzList *>(malloc(static_cast<size_t>(cbPacked)));
    if (!pList) {
        VORL_ERR(ERR_OUT_OF_MEMORY);
        return nullptr;
    }
    memcpy(pList, pPacked, static_cast<size_t>(cbPacked));
    return pList;
}
