// Runs a program and reads the first line of its output through a pipe: the
// driver's queries of other programs (partition listing, key reader), with an
// argument vector instead of popen() and a shell.
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/raii.h"
#include "updater.h"

int UPDTExecuteRead(const char *const *rgszArgv, char *szLine, int cbLine) {
    if (!rgszArgv || !rgszArgv[0] || !szLine || cbLine < 1) return -1;
    szLine[0] = '\0';
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return -1;
    vorl::UniqueFd readEnd(fds[0]), writeEnd(fds[1]);
    pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        int devnull = open("/dev/null", O_RDWR);
        if (devnull >= 0) {
            dup2(devnull, STDIN_FILENO);
            dup2(devnull, STDERR_FILENO);
        }
        dup2(writeEnd.get(), STDOUT_FILENO);
        signal(SIGPIPE, SIG_DFL);
        execv(rgszArgv[0], const_cast<char *const *>(rgszArgv));
        _exit(127);
    }
    writeEnd.reset();
    // Keep the first line; read the rest to its end so the program is never
    // stopped by a full pipe.
    int len = 0;
    bool lineDone = false;
    char buf[4096];
    for (;;) {
        ssize_t n = read(readEnd.get(), buf, sizeof(buf));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        for (ssize_t i = 0; i < n && !lineDone; ++i) {
            if (buf[i] == '\n' || len == cbLine - 1) {
                lineDone = true;
                break;
            }
            szLine[len++] = buf[i];
        }
    }
    szLine[len] = '\0';
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 127) return -1;
    return len;
}
