// VLIBFileCheckKeyValue: compares one key's value with a text.
#include <string.h>

#include <vorl/conf.h>

#include "core/err_internal.h"

int VLIBFileCheckKeyValue(const char *szPath, const char *szKey, const char *szExpected,
                          int fMissing) {
    if (!szPath || !szKey || !szExpected) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return 0;
    }
    char szValue[512] = {0};
    int r = VLIBFileGetKeyValue(szPath, szKey, szValue, sizeof szValue, 0);
    if (r > 0) return strcmp(szValue, szExpected) == 0 ? 1 : 0;
    if (r == 0) return fMissing;
    VORL_LOG_ERR("VLIBFileGetKeyValue(%s) failed, vorlerr=0x%04X", szKey, VLIBErrGet());
    return 0;
}
