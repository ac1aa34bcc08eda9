#include <stdlib.h>
#include <time.h>

#include "bdb/bdb_internal.h"
#include "core/err_internal.h"

extern "C" int VORLBDbDomainIsNeedToRebuild(VORLBDB *pDB) {
    if (!pDB) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    uint32_t now = static_cast<uint32_t>(time(nullptr));
    int32_t *pTime = nullptr;
    if (VORLBDbDomainExpireTimeGet(pDB, &pTime) != 0) return VLIBErrGet() == ERR_NOT_FOUND ? 1 : 0;
    // Unsigned difference: a stored time in the future counts as expired too.
    uint32_t age = now - static_cast<uint32_t>(*pTime);
    free(pTime);
    return age > VORL_BDB_DOMAIN_EXPIRE_SECONDS ? 1 : 0;
}
