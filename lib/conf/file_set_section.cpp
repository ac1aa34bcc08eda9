// ErrVLIBFileSetSection: rewrites a section from an SzHash, renaming it when
// a new name is given.
#include <vorl/conf.h>

#include "core/err_internal.h"

int ErrVLIBFileSetSection(const char *szPath, const char *szSection, const char *szNewSection,
                          const SzHash *pHash, const char *szFormat) {
    if (!pHash) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    return VLIBFileModifySection(szPath, szSection, szNewSection, pHash, 1, szFormat);
}
