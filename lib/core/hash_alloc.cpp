#include <vorl/sz_hash.h>

extern "C" SzHash *PshVLIBSzHashAlloc(int cbSize) {
    return PshVLIBSzHashAllocator(SZHASH_DEFAULT_SLOTS, cbSize < 512 ? 512 : cbSize);
}
