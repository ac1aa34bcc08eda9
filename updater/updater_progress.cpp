// updater-progress: shows a running update's progress the way the web page
// reads it: the stage letter and percentage of /tmp/update.progress (read under
// a shared lock, so a value is never seen half written), and at the end the
// result's error name and the sentence of /tmp/update.message.
//
//   updater-progress [--root DIR] [--pid PID] [--interval MS] [--timeout S] [--once]
//
// --root DIR   read DIR/tmp/update.progress and DIR/tmp/update.message (a
//              simulated appliance seen from outside)
// --pid PID    also stop when that process has ended
// --once       print the current value once and exit
// Exit status: the result code of a finished run (0 after success), 100 when
// the run ended without a final value, 101 on a time-out.
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <time.h>
#include <unistd.h>

#include <string>

#include <vorl/conf.h>

#include "core/raii.h"
#include "updater.h"

namespace {

struct Progress {
    bool valid = false;
    char stage = 0;
    int percent = 0;
};

// Reads the value: first character the stage, the integer between the first
// and the second colon the percentage; what follows is ignored.
Progress ReadProgress(const std::string &path) {
    Progress p;
    vorl::UniqueFd fd(open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd) return p;
    // The writer holds an exclusive lock while it writes; wait for it briefly.
    for (int i = 0; i < 50 && flock(fd.get(), LOCK_SH | LOCK_NB) != 0; ++i)
        usleep(1000);
    char buf[64] = {0};
    ssize_t n = pread(fd.get(), buf, sizeof(buf) - 1, 0);
    flock(fd.get(), LOCK_UN);
    if (n < 3 || buf[1] != ':') return p;
    char *end = nullptr;
    long value = strtol(buf + 2, &end, 10);
    if (end == buf + 2 || *end != ':') return p;
    p.valid = true;
    p.stage = buf[0];
    p.percent = static_cast<int>(value);
    return p;
}

const char *StageName(char stage) {
    switch (stage) {
        case 'A':
            return "analysis";
        case 'P':
            return "flash patch";
        case 'C':
            return "configuration";
        case 'R':
            return "ready";
        default:
            return "unknown stage";
    }
}

// A run has ended when the stage is R or the percentage is negative.
bool IsFinal(const Progress &p) {
    return p.valid && (p.stage == 'R' || p.percent < 0);
}

void Draw(const Progress &p, bool tty) {
    constexpr int kWidth = 40;
    int pct = p.percent < 0 ? 0 : (p.percent > 100 ? 100 : p.percent);
    if (p.stage == 'R' && p.percent == 0) pct = 100;
    int filled = pct * kWidth / 100;
    std::string bar(filled, '#');
    bar.append(kWidth - filled, '.');
    if (p.percent < 0) {
        printf("%s[%s] %c %-13s failed%s", tty ? "\r" : "", bar.c_str(), p.stage,
               StageName(p.stage), tty ? "" : "\n");
    } else {
        printf("%s[%s] %c %-13s %4d%%%s", tty ? "\r" : "", bar.c_str(), p.stage, StageName(p.stage),
               pct, tty ? "" : "\n");
    }
    fflush(stdout);
}

void Usage() {
    fprintf(stderr,
            "usage: updater-progress [--root DIR] [--pid PID] [--interval MS] [--timeout S] "
            "[--once]\n");
}

}  // namespace

int main(int argc, char **argv) {
    std::string root;
    pid_t pid = 0;
    long intervalMs = 100;
    long timeoutS = 0;
    bool once = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        bool hasValue = i + 1 < argc;
        if (a == "--root" && hasValue) {
            root = argv[++i];
        } else if (a == "--pid" && hasValue) {
            pid = static_cast<pid_t>(atol(argv[++i]));
        } else if (a == "--interval" && hasValue) {
            intervalMs = atol(argv[++i]);
        } else if (a == "--timeout" && hasValue) {
            timeoutS = atol(argv[++i]);
        } else if (a == "--once") {
            once = true;
        } else {
            Usage();
            return 2;
        }
    }
    if (intervalMs < 10) intervalMs = 10;
    std::string progressPath = root + UPDT_PROGRESS_FILE;
    std::string messagePath = root + UPDT_MESSAGE_FILE;
    bool tty = isatty(STDOUT_FILENO);

    time_t start = time(nullptr);
    Progress last;
    bool ended = false;
    for (;;) {
        Progress p = ReadProgress(progressPath);
        bool changed =
            p.valid && (!last.valid || p.stage != last.stage || p.percent != last.percent);
        if (changed || (once && p.valid)) Draw(p, tty);
        if (p.valid) last = p;
        if (once || IsFinal(p)) break;
        if (pid > 0 && kill(pid, 0) != 0 && errno == ESRCH) {
            // The run is over: take the value it left one last time.
            Progress fin = ReadProgress(progressPath);
            if (fin.valid && (fin.stage != last.stage || fin.percent != last.percent))
                Draw(fin, tty);
            if (fin.valid) last = fin;
            ended = true;
            break;
        }
        if (timeoutS > 0 && time(nullptr) - start >= timeoutS) {
            if (tty) printf("\n");
            printf("updater-progress: no final value after %ld seconds\n", timeoutS);
            return 101;
        }
        usleep(static_cast<useconds_t>(intervalMs) * 1000);
    }
    if (tty && last.valid) printf("\n");
    if (once) return last.valid ? 0 : 100;
    if (!IsFinal(last)) {
        printf("updater-progress: the run ended without a result%s\n", ended ? "" : " yet");
        return 100;
    }
    int code = last.stage == 'R' && last.percent == 0 ? 0 : -last.percent;
    const char *name = code >= 0 && code < UPDT_RESULT_COUNT ? gszUPDTErrorName[code] : "unknown";
    printf("Result: %d %s\n", code, name);
    char szMsg[1024] = {0};
    // Only the refusals that explain themselves write the message file; any
    // other value there is left from an earlier run.
    bool hasMessage = code == UPDT_ERR_SPACE || code == UPDT_ERR_MEMORY || code == UPDT_ERR_REBOOT;
    if (hasMessage &&
        VLIBFileGetKeyValue(messagePath.c_str(), "extramsg", szMsg, sizeof(szMsg), 0) > 0) {
        printf("Message: %s\n", szMsg);
    }
    return code;
}
