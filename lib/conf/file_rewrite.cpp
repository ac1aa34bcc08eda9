// The temporary-file rewrite shared by every operation that changes a file.
#include "conf/file_rewrite.h"

#include <errno.h>
#include <limits.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <new>

#include "core/err_internal.h"

namespace vorl {

namespace {
// The temporary name is formed in a buffer of this many bytes.
constexpr size_t kTempNameMax = 4096;
}  // namespace

// A fresh stream gets a large buffer when one can be had; without it the
// stream keeps its own.
void FileRewrite::GiveBuffer(FILE *fp, std::unique_ptr<char[]> &buf) {
    if (!buf) buf.reset(new (std::nothrow) char[kStreamBuffer]);
    if (buf) setvbuf(fp, buf.get(), _IOFBF, kStreamBuffer);
}

int FileRewrite::Open(const char *szPath, const char *szMode) {
    path_ = szPath;
    in_.reset(fopen(szPath, szMode));
    if (!in_) {
        bool missing = errno == ENOENT;
        VORL_ERR(ERR_OPEN_FAILED);
        errno = missing ? ENOENT : errno;
        return missing ? kMissing : kFailed;
    }
    struct stat st;
    if (fstat(fileno(in_.get()), &st) != 0) {
        in_.reset();
        VORL_ERR(ERR_STAT_FAILED);
        return kFailed;
    }
    if (S_ISDIR(st.st_mode)) {
        in_.reset();
        VORL_ERR(ERR_OPEN_FAILED);
        return kFailed;
    }
    GiveBuffer(in_.get(), inBuf_);
    uid_ = st.st_uid;
    gid_ = st.st_gid;
    mode_ = st.st_mode;
    return kOpened;
}

void FileRewrite::ForNewFile(const char *szPath, uid_t uid, gid_t gid, mode_t mode) {
    path_ = szPath;
    in_.reset();
    uid_ = uid;
    gid_ = gid;
    mode_ = mode;
}

bool FileRewrite::Start() {
    std::string name = path_ + ".XXXXXX";
    if (name.size() + 1 > kTempNameMax || !tmp_.Create(name)) {
        VORL_ERR(ERR_OPEN_FAILED);
        return false;
    }
    if (!tmp_.OpenStream("w")) {
        tmp_.Discard();
        VORL_ERR(ERR_OPEN_FAILED);
        return false;
    }
    GiveBuffer(tmp_.stream(), outBuf_);
    return true;
}

bool FileRewrite::Put(std::string_view bytes) {
    FILE *fp = tmp_.stream();
    if (!fp || (!bytes.empty() && fwrite(bytes.data(), 1, bytes.size(), fp) != bytes.size())) {
        VORL_ERR(ERR_WRITE_FAILED);
        return false;
    }
    return true;
}

bool FileRewrite::Commit() {
    FILE *fp = tmp_.stream();
    if (!fp) {
        VORL_ERR(ERR_WRITE_FAILED);
        return false;
    }
    int fd = fileno(fp);
    if (ferror(fp) || fflush(fp) != 0 || fsync(fd) != 0 || fchown(fd, uid_, gid_) != 0 ||
        fchmod(fd, mode_ & 07777) != 0) {
        tmp_.Discard();
        VORL_ERR(ERR_WRITE_FAILED);
        return false;
    }
    if (tmp_.Close() != 0) {
        tmp_.Discard();
        VORL_ERR(ERR_WRITE_FAILED);
        return false;
    }
    if (rename(tmp_.path().c_str(), path_.c_str()) != 0) {
        tmp_.Discard();
        VORL_ERR(ERR_RENAME_FAILED);
        return false;
    }
    tmp_.Keep();
    in_.reset();
    return true;
}

void FileRewrite::Discard() {
    tmp_.Discard();
}

}  // namespace vorl
