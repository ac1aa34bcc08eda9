#include <signal.h>

#include "core/err_internal.h"
#include "core/pid_file.h"

#include <vorl/str_util.h>

extern "C" int VORLSignalSysctld(int sig) {
    pid_t pid = vorl::ReadPidFile(VORL_SYSCTLD_PID_FILE);
    if (pid <= 1) return 0;  // no daemon to tell: missing file, no number, or no valid pid
    if (kill(pid, sig) != 0) {
        VORL_ERR(ERR_EXEC_FAILED);
        return -1;
    }
    return 0;
}
