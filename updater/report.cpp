// Progress, message and log reporting: the progress file and the message file
// that the web page polls, and the update log the administrator reads.
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <syslog.h>
#include <time.h>
#include <unistd.h>

#include "core/raii.h"
#include "updater.h"

namespace {

// The text of the last progress value written, so that a repeated value (the
// flash write loop reports after every block) is not written again.
char gszLastProgress[20];

// Opens a status file in /tmp for update without following a symbolic link
// planted in its place: "r+", else created as with "w".
vorl::UniqueFile OpenStatusFile(const char *szPath) {
    int fd = open(szPath, O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    const char *mode = "r+";
    if (fd < 0) {
        fd = open(szPath, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
        mode = "w";
    }
    if (fd < 0) return nullptr;
    vorl::UniqueFile fp(fdopen(fd, mode));
    if (!fp) close(fd);
    return fp;
}

// Appends a text and a line feed to a file, flushed and synced (the event log
// module's plain-text append).
void AppendText(const char *szPath, const char *szText) {
    vorl::UniqueFile fp(fopen(szPath, "a+"));
    if (!fp) return;
    fputs(szText, fp.get());
    fputc('\n', fp.get());
    fflush(fp.get());
    fsync(fileno(fp.get()));
}

}  // namespace

int UPDTWriteStatusFile(const char *szPath, const char *szText, int wait) {
    vorl::UniqueFile fp = OpenStatusFile(szPath);
    if (!fp) return -1;
    int fd = fileno(fp.get());
    for (int retry = 0; flock(fd, LOCK_EX | LOCK_NB) != 0; ++retry) {
        if (!wait || retry == 20) return -2;
        usleep(337);
    }
    int result = fputs(szText, fp.get()) < 0 || fflush(fp.get()) != 0 ? -3 : 0;
    flock(fd, LOCK_UN);
    if (vorl::Fclose(fp) != 0) result = -3;
    return result;
}

void UPDTSetProgress(char stage, int percent) {
    char text[20];
    snprintf(text, sizeof(text), "%c:%d:      ", stage, percent);
    if (strcmp(text, gszLastProgress) == 0) return;
    if (UPDTWriteStatusFile(UPDT_PROGRESS_FILE, text, 1) == 0) {
        memcpy(gszLastProgress, text, sizeof(text));
    } else {
        gszLastProgress[0] = '\0';  // the reader may hold anything now
    }
}

void UPDTAppendLog(const char *szMessage) {
    if (!szMessage) return;
    char szTime[64];
    memset(szTime, 0, sizeof(szTime));
    time_t now = time(nullptr);
    struct tm tmNow;
    if (localtime_r(&now, &tmNow)) strftime(szTime, sizeof(szTime), "%Y/%m/%d %H:%M:%S", &tmNow);
    size_t cb = strlen(szMessage) + 24;
    vorl::MallocPtr<char> line(static_cast<char *>(malloc(cb)));
    if (!line) return;
    snprintf(line.get(), cb, "%s\t%s", szTime, szMessage);
    AppendText(UPDT_LOG_FILE, line.get());
}

void UPDTTrimLog(void) {
    struct stat st;
    if (stat(UPDT_LOG_FILE, &st) != 0 || static_cast<long long>(st.st_size) <= 10000) return;
    vorl::UniqueFile fp(fopen(UPDT_LOG_FILE, "w"));
    if (!fp) return;
    fflush(fp.get());
    fsync(fileno(fp.get()));
}
