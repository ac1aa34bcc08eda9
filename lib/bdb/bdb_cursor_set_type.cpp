#include "core/err_internal.h"

#include <vorl/bdb.h>

extern "C" int VORLBDbCursorSetType(VORLBDB *pDB, int fType) {
    if (!pDB || fType < VORL_BDB_CURSOR_SET || fType > VORL_BDB_CURSOR_PREV) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    pDB->fCursorType = static_cast<uint32_t>(fType);
    return 0;
}
