#include <string.h>

#include <vorl/str_util.h>

extern "C" int VLIBAccountNameKind(const char *szName) {
    if (!szName) return 0;
    return strchr(szName, '\\') ? 2 : 1;  // DOMAIN\user
}
