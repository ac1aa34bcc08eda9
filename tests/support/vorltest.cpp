#include "vorltest.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <syslog.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace vorltest {

std::string ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "";
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteFile(const std::string &path, const std::string &content, mode_t mode) {
    std::filesystem::path p(path);
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    out.close();
    if (!out || chmod(path.c_str(), mode) != 0) {
        fprintf(stderr, "vorltest: cannot write %s: %s\n", path.c_str(), strerror(errno));
        abort();
    }
}

bool Exists(const std::string &path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

ino_t Inode(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

void RemoveAll(const std::string &path) {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
}

std::vector<std::string> ListDir(const std::string &dir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto &e : std::filesystem::directory_iterator(dir, ec))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

SyslogCapture::SyslogCapture(const std::string &socketPath) : path_(socketPath) {
    closelog();  // a connection to an earlier socket would go nowhere
    unlink(path_.c_str());
    fd_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path_.c_str());
    if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 ||
        pipe2(stopPipe_, O_CLOEXEC) != 0) {
        fprintf(stderr, "vorltest: cannot bind %s: %s\n", path_.c_str(), strerror(errno));
        abort();
    }
    chmod(path_.c_str(), 0666);
    // A reader thread keeps the socket queue short, so a chatty child never
    // blocks in syslog() while the test waits for it.
    thread_ = std::thread([this] {
        for (;;) {
            pollfd fds[2] = {{fd_, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
            if (poll(fds, 2, -1) < 0 && errno != EINTR) return;
            if (fds[1].revents) return;
            if (fds[0].revents) Drain();
        }
    });
}

SyslogCapture::~SyslogCapture() {
    if (write(stopPipe_[1], "x", 1) < 0) { /* the thread also ends with the process */
    }
    if (thread_.joinable()) thread_.join();
    close(stopPipe_[0]);
    close(stopPipe_[1]);
    close(fd_);
    unlink(path_.c_str());
    closelog();
}

void SyslogCapture::Drain() {
    char buf[65536];
    std::lock_guard<std::mutex> lock(mu_);
    for (;;) {
        ssize_t n = recv(fd_, buf, sizeof buf - 1, MSG_DONTWAIT);
        if (n < 0) return;
        std::string raw(buf, static_cast<size_t>(n));
        Message m{LOG_INFO, raw};
        // "<PRI>Mmm dd hh:mm:ss tag[pid]: text"
        if (!raw.empty() && raw[0] == '<') {
            size_t gt = raw.find('>');
            if (gt != std::string::npos) {
                m.priority = atoi(raw.c_str() + 1) & 7;
                size_t colon = raw.find(": ", gt);
                m.text = colon == std::string::npos ? raw.substr(gt + 1) : raw.substr(colon + 2);
            }
        }
        while (!m.text.empty() && (m.text.back() == '\n' || m.text.back() == '\0'))
            m.text.pop_back();
        messages_.push_back(std::move(m));
    }
}

std::vector<SyslogCapture::Message> SyslogCapture::Messages() {
    Drain();  // whatever was sent before this call is already queued
    std::lock_guard<std::mutex> lock(mu_);
    return messages_;
}

std::vector<std::string> SyslogCapture::Lines() {
    std::vector<std::string> lines;
    for (auto &m : Messages())
        lines.push_back(m.text);
    return lines;
}

bool SyslogCapture::Contains(const std::string &text) {
    for (auto &l : Lines())
        if (l.find(text) != std::string::npos) return true;
    return false;
}

void SyslogCapture::Clear() {
    Drain();
    std::lock_guard<std::mutex> lock(mu_);
    messages_.clear();
}

}  // namespace vorltest
