// Whether the model keeps its system on a RAID array: key "supportraid" of the
// factory settings, read through the appliance's key reader.
#include <string.h>

#include "updater.h"

int UPDTIsRaidSupported(void) {
    const char *const argv[] = {"/bin/get_key_value", "/etc.defaults/vorlinfo.conf", "supportraid",
                                nullptr};
    char szAnswer[64];
    if (UPDTExecuteRead(argv, szAnswer, sizeof(szAnswer)) < 0) return 0;
    return strncmp(szAnswer, "yes", 3) == 0;
}
