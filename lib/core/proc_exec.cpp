// The program runner: an argument vector handed to exec, never a shell.
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/err_internal.h"

#include <vorl/file_lock.h>
#include <vorl/str_util.h>

namespace {

// While SIGCHLD is ignored, or carries SA_NOCLDWAIT, the kernel reaps
// children by itself and waitpid() loses their status: for the duration of a
// run the child is made waitable, and the caller's action is put back after.
class ChildWaitable {
public:
    ChildWaitable() {
        if (sigaction(SIGCHLD, nullptr, &old_) != 0) return;
        bool ignored = !(old_.sa_flags & SA_SIGINFO) && old_.sa_handler == SIG_IGN;
        if (!ignored && !(old_.sa_flags & SA_NOCLDWAIT)) return;
        struct sigaction sa = old_;
        if (ignored) sa.sa_handler = SIG_DFL;
        sa.sa_flags &= ~SA_NOCLDWAIT;
        changed_ = sigaction(SIGCHLD, &sa, nullptr) == 0;
    }
    ~ChildWaitable() {
        if (changed_) sigaction(SIGCHLD, &old_, nullptr);
    }
    ChildWaitable(const ChildWaitable &) = delete;
    ChildWaitable &operator=(const ChildWaitable &) = delete;

private:
    struct sigaction old_ = {};
    bool changed_ = false;
};

[[noreturn]] void RunChild(const char *const *rgszArgv) {
    int fd = open("/dev/null", O_RDWR);
    if (fd >= 0) {
        dup2(fd, STDIN_FILENO);
        dup2(fd, STDOUT_FILENO);
        dup2(fd, STDERR_FILENO);
        if (fd > STDERR_FILENO) close(fd);
    }
    VLIBFileLockCloseAll();  // the parent's locks stay with the parent
    setsid();
    if (chdir("/") != 0) _exit(255);
    execvp(rgszArgv[0], const_cast<char *const *>(rgszArgv));
    _exit(255);  // never exit(): the parent's stdio buffers must not be flushed twice
}

}  // namespace

extern "C" int VLIBProcExecArgv(const char *const *rgszArgv) {
    if (!rgszArgv || !rgszArgv[0]) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    ChildWaitable waitable;
    pid_t pid = fork();
    if (pid < 0) {
        VORL_ERR(ERR_EXEC_FAILED);
        return -1;
    }
    if (pid == 0) RunChild(rgszArgv);

    int status = 0;
    pid_t r;
    do {
        r = waitpid(pid, &status, 0);
    } while (r < 0 && errno == EINTR);
    if (r < 0) {
        if (errno == ECHILD) return 0;  // reaped by a SIGCHLD handler of the caller
        VORL_ERR(ERR_EXEC_FAILED);
        return -1;
    }
    if (!WIFEXITED(status)) {  // ended by a signal
        VORL_ERR(ERR_EXEC_FAILED);
        return -1;
    }
    return WEXITSTATUS(status);
}

extern "C" int VLIBProcExec(const char *szPath, const char *szArg1, const char *szArg2,
                            const char *szArg3, const char *szArg4) {
    if (!szPath) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    // The path itself is argument 0; exec reads the arguments up to the first NULL.
    const char *rgszArgv[6] = {szPath, szArg1, szArg2, szArg3, szArg4, nullptr};
    return VLIBProcExecArgv(rgszArgv);
}
