// The unbounded line reader: every line of a stream, whatever its length,
// with its line feed (the last line may lack one).
#pragma once

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/types.h>

#include <string_view>

namespace vorl {

class LineReader {
public:
    explicit LineReader(FILE *fp) : fp_(fp) {}
    LineReader(const LineReader &) = delete;
    LineReader &operator=(const LineReader &) = delete;
    ~LineReader() { free(buf_); }

    // Reads the next line; false at end of file, on a read error (see Error())
    // and when the buffer cannot grow (OutOfMemory()).
    bool Next() {
        errno = 0;
        // getdelim, not getline: with optimisation glibc inlines getline into
        // a call of __getdelim, which fault-injection preloads cannot see.
        len_ = getdelim(&buf_, &cap_, '\n', fp_);
        if (len_ < 0) {
            oom_ = errno == ENOMEM;
            len_ = 0;
            return false;
        }
        ++lineNo_;
        return true;
    }
    // The line as read, line feed included; the buffer may be changed in place.
    char *data() { return buf_; }
    size_t size() const { return static_cast<size_t>(len_); }
    std::string_view view() const { return {buf_, static_cast<size_t>(len_)}; }
    bool EndsWithNewline() const { return len_ > 0 && buf_[len_ - 1] == '\n'; }
    // Line number of the current line, counted from 1.
    long LineNo() const { return lineNo_; }
    // After Next() answered false: whether that was a true end of file.
    bool AtEof() const { return !oom_ && feof(fp_) && !ferror(fp_); }
    bool Error() const { return ferror(fp_) != 0; }
    bool OutOfMemory() const { return oom_; }

private:
    FILE *fp_;
    char *buf_ = nullptr;
    size_t cap_ = 0;
    ssize_t len_ = 0;
    long lineNo_ = 0;
    bool oom_ = false;
};

}  // namespace vorl
