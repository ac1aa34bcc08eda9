// Owners for descriptors, streams, heap blocks and temporary files, so that
// every failure path releases what it took by construction.
#pragma once

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <utility>

#include <vorl/sz_hash.h>
#include <vorl/sz_list.h>

namespace vorl {

// A file descriptor closed on destruction.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd &&o) noexcept : fd_(o.release()) {}
    UniqueFd &operator=(UniqueFd &&o) noexcept {
        reset(o.release());
        return *this;
    }
    UniqueFd(const UniqueFd &) = delete;
    UniqueFd &operator=(const UniqueFd &) = delete;
    ~UniqueFd() { reset(); }

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    int release() { return std::exchange(fd_, -1); }
    void reset(int fd = -1) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }
    // Closes now and reports the result of close().
    int close() { return fd_ >= 0 ? ::close(std::exchange(fd_, -1)) : 0; }

private:
    int fd_ = -1;
};

struct FileCloser {
    void operator()(FILE *fp) const { fclose(fp); }
};
// A stdio stream closed on destruction; close it explicitly with Fclose() when
// the result of fclose() matters (a written file).
using UniqueFile = std::unique_ptr<FILE, FileCloser>;

// Closes the stream now and reports fclose()'s result.
inline int Fclose(UniqueFile &fp) {
    return fp ? fclose(fp.release()) : 0;
}

struct FreeDeleter {
    void operator()(void *p) const { free(p); }
};
// A malloc()ed block released with free().
template <typename T>
using MallocPtr = std::unique_ptr<T, FreeDeleter>;

// An SzList or SzHash block owned by a scope. Calls that may replace the
// block take &h.p; the block held at the end is released.
template <typename T, void (*Free)(T *)>
struct BlockHandle {
    T *p = nullptr;
    BlockHandle() = default;
    explicit BlockHandle(T *block) : p(block) {}
    BlockHandle(BlockHandle &&o) noexcept : p(o.release()) {}
    BlockHandle &operator=(BlockHandle &&o) noexcept {
        if (this != &o) {
            Free(p);
            p = o.release();
        }
        return *this;
    }
    ~BlockHandle() { Free(p); }
    T *release() { return std::exchange(p, nullptr); }
};
using SzListHandle = BlockHandle<SzList, VLIBSzListFree>;
using SzHashHandle = BlockHandle<SzHash, VLIBSzHashFree>;

// A temporary file made by mkstemp() from a "....XXXXXX" template. Unless
// Keep() is called, destruction closes it and unlinks the path.
class TempFile {
public:
    TempFile() = default;
    TempFile(const TempFile &) = delete;
    TempFile &operator=(const TempFile &) = delete;
    ~TempFile() { Discard(); }

    // Creates the file from szTemplate (which must end in "XXXXXX"); false on failure.
    bool Create(const std::string &szTemplate) {
        Discard();
        path_ = szTemplate;
        int fd = mkstemp(path_.data());
        if (fd < 0) {
            path_.clear();
            return false;
        }
        fd_.reset(fd);
        return true;
    }
    // Opens a stream over the descriptor; the stream then owns it.
    FILE *OpenStream(const char *mode) {
        if (!fd_) return nullptr;
        FILE *fp = fdopen(fd_.get(), mode);
        if (fp) {
            fd_.release();
            fp_.reset(fp);
        }
        return fp;
    }
    int fd() const { return fp_ ? fileno(fp_.get()) : fd_.get(); }
    FILE *stream() const { return fp_.get(); }
    const std::string &path() const { return path_; }
    // Closes the stream or descriptor and reports the result.
    int Close() { return fp_ ? Fclose(fp_) : fd_.close(); }
    // Forgets the path: the file stays (after a rename, say).
    void Keep() { path_.clear(); }
    void Discard() {
        fp_.reset();
        fd_.reset();
        if (!path_.empty()) unlink(path_.c_str());
        path_.clear();
    }

private:
    std::string path_;
    UniqueFd fd_;
    UniqueFile fp_;
};

}  // namespace vorl
