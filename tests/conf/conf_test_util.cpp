#include "conf_test_util.h"

#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include <vorl/err.h>
#include <vorl/file_lock.h>

extern char **environ;

namespace conftest {

int RunInChild(const std::function<int()> &body) {
    fflush(nullptr);
    pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) _exit(body());
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

int ChildTryLock(unsigned request, int timeout) {
    return RunInChild([&] {
        VLIBFileLockCloseAll();
        if (ErrVLIBFileLock(request, timeout) == 0) return 0;
        return static_cast<int>(VLIBErrGet() >> 8);
    });
}

bool LockHolder::Start(unsigned request) {
    int toChild[2], fromChild[2];
    if (pipe(toChild) != 0 || pipe(fromChild) != 0) return false;
    fflush(nullptr);
    pid_ = fork();
    if (pid_ < 0) return false;
    if (pid_ == 0) {
        close(toChild[1]);
        close(fromChild[0]);
        VLIBFileLockCloseAll();
        char ok = ErrVLIBFileLock(request, 0) == 0 ? 'y' : 'n';
        if (write(fromChild[1], &ok, 1) != 1 || ok != 'y') _exit(1);
        int delayMs = 0;
        if (read(toChild[0], &delayMs, sizeof delayMs) != sizeof delayMs) delayMs = 0;
        usleep(static_cast<useconds_t>(delayMs) * 1000);
        _exit(ErrVLIBFileUnlock(request) == 0 ? 0 : 1);
    }
    close(toChild[0]);
    close(fromChild[1]);
    toChild_ = toChild[1];
    char ok = 'n';
    bool taken = read(fromChild[0], &ok, 1) == 1 && ok == 'y';
    close(fromChild[0]);
    return taken;
}

void LockHolder::ReleaseLater(int delayMs) {
    if (toChild_ < 0) return;
    if (write(toChild_, &delayMs, sizeof delayMs) != sizeof delayMs) {
        // The child then releases at once when the pipe closes.
    }
    close(toChild_);
    toChild_ = -1;
}

void LockHolder::Release(int delayMs) {
    ReleaseLater(delayMs);
    Wait();
}

void LockHolder::Wait() {
    if (pid_ > 0) {
        int status;
        waitpid(pid_, &status, 0);
        pid_ = -1;
    }
}

LockHolder::~LockHolder() {
    if (toChild_ >= 0) close(toChild_);
    toChild_ = -1;
    Wait();
}

double Now() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

namespace {

// The sanitizer runtime this binary was linked with, if any: it must come
// first in LD_PRELOAD.
std::string SanitizerRuntime() {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        size_t slash = line.find('/');
        if (slash == std::string::npos) continue;
        std::string path = line.substr(slash);
        if (path.find("/libasan.so") != std::string::npos) return path;
    }
    return "";
}

}  // namespace

FaultOutcome RunWithFault(const std::vector<std::string> &points, int err,
                          const std::vector<std::string> &args) {
    FaultOutcome out;
    std::vector<std::string> env;
    for (char **e = environ; *e; ++e) {
        if (strncmp(*e, "LD_PRELOAD=", 11) == 0 || strncmp(*e, "FIU_ENABLE=", 11) == 0 ||
            strncmp(*e, "ASAN_OPTIONS=", 13) == 0)
            continue;
        env.emplace_back(*e);
    }
    if (!points.empty()) {
        std::string preload = SanitizerRuntime();
        if (!preload.empty()) preload += ' ';
        preload += "/usr/lib/fiu/fiu_run_preload.so /usr/lib/fiu/fiu_posix_preload.so";
        env.push_back("LD_PRELOAD=" + preload);
        std::string enable;
        for (const auto &p : points) {
            if (!enable.empty()) enable += '\n';
            enable += "enable name=" + p + ",failinfo=" + std::to_string(err);
        }
        env.push_back("FIU_ENABLE=" + enable);
    }
    // A stream whose close was made to fail stays allocated: not a leak of
    // the code under test.
    env.push_back("ASAN_OPTIONS=detect_leaks=0");

    std::vector<std::string> argv{CONF_FAULT_HELPER};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char *> cargv, cenv;
    for (auto &a : argv)
        cargv.push_back(a.data());
    cargv.push_back(nullptr);
    for (auto &e : env)
        cenv.push_back(e.data());
    cenv.push_back(nullptr);

    int pipefd[2];
    if (pipe(pipefd) != 0) return out;
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, pipefd[1], 1);
    posix_spawn_file_actions_addclose(&fa, pipefd[0]);
    pid_t pid;
    int rc = posix_spawn(&pid, CONF_FAULT_HELPER, &fa, nullptr, cargv.data(), cenv.data());
    posix_spawn_file_actions_destroy(&fa);
    close(pipefd[1]);
    if (rc != 0) {
        close(pipefd[0]);
        return out;
    }
    char buf[4096];
    ssize_t n;
    while ((n = read(pipefd[0], buf, sizeof buf)) > 0)
        out.output.append(buf, static_cast<size_t>(n));
    close(pipefd[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    out.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::istringstream in(out.output);
    std::string word;
    while (in >> word) {
        if (word.rfind("result=", 0) == 0) out.result = std::stoi(word.substr(7));
        if (word.rfind("err=", 0) == 0)
            out.err = static_cast<unsigned>(std::stoul(word.substr(4), nullptr, 16));
    }
    return out;
}

}  // namespace conftest
