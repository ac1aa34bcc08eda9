// Runs one program of the update with an argument vector (never a shell).
#include <string.h>
#include <syslog.h>

#include <string>

#include <vorl/str_util.h>

#include "updater.h"

void UPDTFormatCommand(const char *const *rgszArgv, char *szBuf, size_t cbBuf) {
    if (!szBuf || cbBuf == 0) return;
    std::string text;
    try {
        for (int i = 0; rgszArgv && rgszArgv[i]; ++i) {
            if (i) text += ' ';
            const char *arg = rgszArgv[i];
            bool quote = !*arg || strpbrk(arg, " \t\"'\\;&|$`<>*?()[]{}") != nullptr;
            if (!quote) {
                text += arg;
                continue;
            }
            // Quoted as a shell would need it, so the line reads like the command.
            text += '\'';
            for (const char *p = arg; *p; ++p) {
                if (*p == '\'') {
                    text += "'\\''";
                } else {
                    text += *p;
                }
            }
            text += '\'';
        }
    } catch (...) {
        text.clear();
    }
    snprintf(szBuf, cbBuf, "%s", text.c_str());
}

int UPDTExecute(const char *const *rgszArgv) {
    if (!rgszArgv || !rgszArgv[0]) return -1;
    char szCmd[1024];
    int ret = VLIBProcExecArgv(rgszArgv);
    if (ret != 0) {
        // -1: it could not be started or waited for, or a signal ended it.
        UPDTFormatCommand(rgszArgv, szCmd, sizeof(szCmd));
        syslog(LOG_ERR, "%s(%d): failed to execute cmd=[%s], ret = %d", "UPDTExecute", __LINE__,
               szCmd, ret);
        return -1;
    }
    return 0;
}
