#include "core/pid_file.h"

#include <ctype.h>
#include <limits.h>
#include <stdio.h>

#include "core/raii.h"

namespace vorl {

pid_t ReadPidFile(const char *szPath) {
    UniqueFile fp(fopen(szPath, "r"));
    if (!fp) return -1;
    char line[64];
    if (!fgets(line, sizeof(line), fp.get())) return 0;
    const char *p = line;
    while (isspace(static_cast<unsigned char>(*p)))
        ++p;
    // Digits only: a sign would turn "-1" into a valid-looking number.
    if (!isdigit(static_cast<unsigned char>(*p))) return 0;
    long long pid = 0;
    for (; isdigit(static_cast<unsigned char>(*p)); ++p) {
        pid = pid * 10 + (*p - '0');
        if (pid > INT_MAX) return 0;
    }
    return pid > 1 ? static_cast<pid_t>(pid) : 0;
}

}  // namespace vorl
