// Junior detection: the small hardware variant has other partition tables and
// keeps the FIS directory on another device.
#include <stdio.h>
#include <string.h>

#include <vorl/conf.h>

#include "core/raii.h"
#include "updater.h"

int UPDTIsJunior(void) {
    char szUnique[100] = {0};
    if (VLIBFileGetKeyValue(VORL_INFO_CONF_DEFAULTS, "unique", szUnique, sizeof(szUnique), 0) <= 0)
        return 0;
    size_t len = strlen(szUnique);
    if (len <= 6) return 0;
    if (strncmp(szUnique, "sdkdebug", 8) == 0) return 1;
    if (len >= 7 && strcmp(szUnique + len - 7, "_junior") == 0) return 1;

    vorl::UniqueFile fp(fopen("/proc/sys/kernel/vorl_hw_version", "r"));
    if (!fp) return 0;
    char szHw[100] = {0};
    if (!fgets(szHw, sizeof(szHw), fp.get())) return 0;
    size_t hwLen = strlen(szHw);
    if (hwLen > 0) szHw[--hwLen] = '\0';  // the line feed
    return hwLen > 1 && strcmp(szHw + hwLen - 2, "-j") == 0;
}
