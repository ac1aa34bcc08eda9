#include <stdlib.h>

#include <vorl/sz_hash.h>

extern "C" void VLIBSzHashFree(SzHash *pHash) {
    free(pHash);
}
