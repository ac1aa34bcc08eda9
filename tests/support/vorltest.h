// Shared test support: every test binary runs inside a throwaway appliance
// root (tests/sandbox/vorl-sandbox), so the code under test uses the
// appliance's real paths (/etc, /tmp/lock, /dev/log).
#pragma once

#include <sys/stat.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vorltest {

// Reads a whole file; "" when it cannot be read.
std::string ReadFile(const std::string &path);
// Replaces a file's content (creating parent directories); aborts the test
// binary on failure, since nothing meaningful can follow.
void WriteFile(const std::string &path, const std::string &content, mode_t mode = 0644);
bool Exists(const std::string &path);
// The inode number of a path (following links); 0 when it cannot be read.
ino_t Inode(const std::string &path);
// Removes a path recursively; missing is fine.
void RemoveAll(const std::string &path);
// Names of the entries of a directory, sorted; empty when it cannot be read.
std::vector<std::string> ListDir(const std::string &dir);

// Captures system-log lines: binds a datagram socket at /dev/log (inside the
// sandbox) and collects every message sent to it, by this process or by its
// children, from construction on. Lines() answers the messages received so
// far (the syslog header "<pri>timestamp tag: " stripped), including every
// message sent before the call.
class SyslogCapture {
public:
    explicit SyslogCapture(const std::string &socketPath = "/dev/log");
    ~SyslogCapture();
    SyslogCapture(const SyslogCapture &) = delete;
    SyslogCapture &operator=(const SyslogCapture &) = delete;

    std::vector<std::string> Lines();
    // Messages with their priority (LOG_ERR, ...), in order.
    struct Message {
        int priority;
        std::string text;
    };
    std::vector<Message> Messages();
    // Whether some captured line contains the text.
    bool Contains(const std::string &text);
    void Clear();

private:
    void Drain();
    std::string path_;
    int fd_ = -1;
    int stopPipe_[2] = {-1, -1};
    std::mutex mu_;
    std::vector<Message> messages_;
    std::thread thread_;
};

}  // namespace vorltest
