#include <stdio.h>
#include <unistd.h>

#include "core/raii.h"

#include <vorl/str_util.h>

extern "C" void VLIBFileTruncateSync(const char *szPath) {
    if (!szPath) return;
    vorl::UniqueFile fp(fopen(szPath, "w"));
    if (!fp) return;
    fflush(fp.get());
    fsync(fileno(fp.get()));
}
