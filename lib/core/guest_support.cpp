#include <string.h>

#include <vorl/conf.h>
#include <vorl/str_util.h>

extern "C" int VLIBGuestSupport(void) {
    static int gfGuestSupport = -1;  // read once per process
    if (gfGuestSupport < 0) {
        char szValue[16] = "";
        int r = VLIBFileGetKeyValue(VORL_INFO_CONF_DEFAULTS, "guestsupport", szValue,
                                    sizeof(szValue), 0);
        gfGuestSupport = r > 0 && strcmp(szValue, "no") == 0 ? 0 : 1;
    }
    return gfGuestSupport;
}
