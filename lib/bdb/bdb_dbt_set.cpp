#include "core/err_internal.h"

#include <vorl/bdb.h>

extern "C" int VORLBDbDbtSet(VORLDBT *pDbt, const void *pData, int cbData) {
    if (!pDbt || cbData < 0) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    // The descriptor does not own the bytes; the library only reads them.
    pDbt->data = const_cast<void *>(pData);
    pDbt->size = static_cast<size_t>(cbData);
    return 0;
}
