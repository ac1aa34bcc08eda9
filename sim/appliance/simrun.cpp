// vorl-simrun: runs a command inside a simulated appliance root with the
// kernel shim preloaded, and collects the appliance's system log.
//
//   vorl-simrun --root DIR [--syslog FILE] [--shim PATH] [--bind SRC DST]...
//               [--ro-bind SRC DST]... [--setenv NAME VALUE]... [--chdir DIR]
//               [--] COMMAND [ARG...]
//
// The command runs through tests/sandbox/vorl-sandbox with DIR as its root.
// A datagram socket bound at /dev/log inside receives every syslog line; the
// lines go to FILE (default: DIR/var/log/messages, seen from outside) as
// "priority text". The exit status is the command's (128 + signal number
// when a signal ended it).
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#ifndef VORLSIM_SANDBOX
#error "VORLSIM_SANDBOX must name tests/sandbox/vorl-sandbox"
#endif
#ifndef VORLSIM_SHIM
#error "VORLSIM_SHIM must name libvorlshim.so"
#endif

namespace {

const char *const kPriorities[] = {"emerg",   "alert",  "crit", "err",
                                   "warning", "notice", "info", "debug"};

// "<pri>Mmm dd hh:mm:ss tag: text" -> "pri-name tag: text".
std::string FormatLine(const char *buf, size_t n) {
    std::string msg(buf, n);
    while (!msg.empty() && (msg.back() == '\n' || msg.back() == '\0'))
        msg.pop_back();
    int pri = 3;
    if (msg.size() > 2 && msg[0] == '<') {
        size_t close = msg.find('>');
        if (close != std::string::npos) {
            pri = atoi(msg.c_str() + 1) & 7;
            msg.erase(0, close + 1);
        }
    }
    // The time stamp "Mmm dd hh:mm:ss " is 16 characters.
    if (msg.size() > 16 && msg[3] == ' ' && msg[6] == ' ' && msg[9] == ':' && msg[15] == ' ')
        msg.erase(0, 16);
    return std::string(kPriorities[pri]) + " " + msg;
}

std::string DirOf(const std::string &path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos || slash == 0 ? "/" : path.substr(0, slash);
}

void Usage() {
    fprintf(stderr,
            "usage: vorl-simrun --root DIR [--syslog FILE] [--shim PATH] [--bind SRC DST]...\n"
            "                   [--ro-bind SRC DST]... [--setenv NAME VALUE]... [--chdir DIR]\n"
            "                   [--] COMMAND [ARG...]\n");
}

}  // namespace

int main(int argc, char **argv) {
    std::string root, syslogFile, shim = VORLSIM_SHIM;
    std::vector<std::string> pass;  // options for the sandbox
    int i = 1;
    for (; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--") {
            ++i;
            break;
        }
        if (a.rfind("--", 0) != 0) break;
        int need = (a == "--bind" || a == "--ro-bind" || a == "--setenv") ? 2 : 1;
        if (i + need >= argc) {
            Usage();
            return 2;
        }
        if (a == "--root") {
            root = argv[++i];
        } else if (a == "--syslog") {
            syslogFile = argv[++i];
        } else if (a == "--shim") {
            shim = argv[++i];
        } else if (a == "--bind" || a == "--ro-bind" || a == "--setenv") {
            pass.insert(pass.end(), {a, argv[i + 1], argv[i + 2]});
            i += 2;
        } else if (a == "--chdir") {
            pass.insert(pass.end(), {a, argv[++i]});
        } else {
            Usage();
            return 2;
        }
    }
    if (root.empty() || i >= argc) {
        Usage();
        return 2;
    }
    char resolved[PATH_MAX];
    if (!realpath(root.c_str(), resolved)) {
        fprintf(stderr, "vorl-simrun: no appliance root %s\n", root.c_str());
        return 2;
    }
    root = resolved;
    if (syslogFile.empty()) syslogFile = root + "/var/log/messages";

    // The socket, in a private directory of this machine.
    char tmpl[] = "/tmp/vorl-simrun.XXXXXX";
    if (!mkdtemp(tmpl)) {
        perror("vorl-simrun: mkdtemp");
        return 2;
    }
    std::string sockDir = tmpl, sockPath = sockDir + "/log";
    int sock = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    snprintf(addr.sun_path, sizeof(addr.sun_path), "%s", sockPath.c_str());
    if (sock < 0 || bind(sock, reinterpret_cast<sockaddr *>(&addr), sizeof(addr)) != 0) {
        perror("vorl-simrun: syslog socket");
        rmdir(sockDir.c_str());
        return 2;
    }
    chmod(sockPath.c_str(), 0666);
    FILE *out = fopen(syslogFile.c_str(), "a");
    if (!out) {
        fprintf(stderr, "vorl-simrun: cannot write %s\n", syslogFile.c_str());
        unlink(sockPath.c_str());
        rmdir(sockDir.c_str());
        return 2;
    }

    std::string asan = getenv("ASAN_OPTIONS") ? getenv("ASAN_OPTIONS") : "";
    if (!asan.empty()) asan += ":";
    asan += "verify_asan_link_order=0";
    std::vector<std::string> args = {VORLSIM_SANDBOX, "--root",       root,         "--bind",
                                     sockPath,        "/dev/log",     "--ro-bind",  DirOf(shim),
                                     DirOf(shim),     "--setenv",     "LD_PRELOAD", shim,
                                     "--setenv",      "ASAN_OPTIONS", asan};
    args.insert(args.end(), pass.begin(), pass.end());
    args.push_back("--");
    for (; i < argc; ++i)
        args.push_back(argv[i]);

    pid_t pid = fork();
    if (pid == 0) {
        std::vector<char *> cargv;
        for (std::string &s : args)
            cargv.push_back(s.data());
        cargv.push_back(nullptr);
        execv(cargv[0], cargv.data());
        perror("vorl-simrun: exec");
        _exit(127);
    }
    signal(SIGINT, SIG_IGN);  // the sandbox ends with its parent's interruption
    int status = 0;
    char buf[8192];
    for (;;) {
        pollfd pfd = {sock, POLLIN, 0};
        int ready = poll(&pfd, 1, 50);
        if (ready > 0) {
            ssize_t n = recv(sock, buf, sizeof(buf), 0);
            if (n > 0) {
                fprintf(out, "%s\n", FormatLine(buf, static_cast<size_t>(n)).c_str());
                fflush(out);
            }
            continue;
        }
        pid_t w = waitpid(pid, &status, WNOHANG);
        if (w == pid || (w < 0 && errno != EINTR)) break;
    }
    // What is still queued.
    for (;;) {
        ssize_t n = recv(sock, buf, sizeof(buf), MSG_DONTWAIT);
        if (n <= 0) break;
        fprintf(out, "%s\n", FormatLine(buf, static_cast<size_t>(n)).c_str());
    }
    fclose(out);
    close(sock);
    unlink(sockPath.c_str());
    rmdir(sockDir.c_str());
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
