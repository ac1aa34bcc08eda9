// The rewrite of a settings file through a temporary file, used by every
// operation that changes an existing file:
//
//   FileRewrite rw;
//   if (rw.Open(szPath) != FileRewrite::kOpened || !rw.Start()) return -1;
//   ... read rw.in() (LineReader), write rw.Put(...) / rw.out() ...
//   if (!rw.Commit()) return -1;
//
// Start() creates "<path>.XXXXXX" with mkstemp beside the target; Commit()
// flushes, fsyncs, gives the temporary file the target's owner, group and
// permission bits, closes it and renames it over the target. Every failure
// sets the library error code; until Commit() has renamed it, destroying the
// object (or Discard()) removes the temporary file, so a failed rewrite
// leaves the target byte for byte as it was and nothing beside it.
//
// Error codes: ERR_OPEN_FAILED (target cannot be opened or is a directory,
// temporary file cannot be made), ERR_STAT_FAILED (status of the target),
// ERR_WRITE_FAILED (write, flush, fsync, fchown, fchmod, close),
// ERR_RENAME_FAILED (rename).
#pragma once

#include <stdio.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <memory>
#include <string>
#include <string_view>

#include "core/raii.h"

namespace vorl {

class FileRewrite {
public:
    enum OpenResult { kFailed = -1, kMissing = 0, kOpened = 1 };

    FileRewrite() = default;
    FileRewrite(const FileRewrite &) = delete;
    FileRewrite &operator=(const FileRewrite &) = delete;
    ~FileRewrite() = default;

    // Opens the target with the fopen mode ("r", or "r+" for a caller that
    // may append in place) and takes its owner, group and mode.
    // kMissing: the file does not exist (errno ENOENT, ERR_OPEN_FAILED set;
    // callers that create missing files go on). kFailed: it cannot be opened
    // or is a directory (ERR_OPEN_FAILED), or fstat failed (ERR_STAT_FAILED).
    int Open(const char *szPath, const char *szMode = "r");
    // For a target that does not exist yet: the rewrite creates it with
    // these owner, group and permission bits (no input stream).
    void ForNewFile(const char *szPath, uid_t uid, gid_t gid, mode_t mode);

    // The target's stream, while open (nullptr for a new file).
    FILE *in() const { return in_.get(); }
    const std::string &path() const { return path_; }

    // Creates the temporary file and its stream. ERR_OPEN_FAILED.
    bool Start();
    // The temporary file's stream, for writers that take a FILE *.
    FILE *out() const { return tmp_.stream(); }
    const std::string &tempPath() const { return tmp_.path(); }
    // Writes bytes to the temporary file. ERR_WRITE_FAILED.
    bool Put(std::string_view bytes);

    // Flush, fsync, fchown, fchmod (mode & 07777), close, rename.
    bool Commit();
    // Gives up: the temporary file is removed, the target stays as it was.
    void Discard();

private:
    // Both streams get large buffers: a settings file is then read and
    // written in a few system calls instead of one per 4 KiB.
    static constexpr size_t kStreamBuffer = 64 * 1024;
    static void GiveBuffer(FILE *fp, std::unique_ptr<char[]> &buf);
    std::unique_ptr<char[]> inBuf_, outBuf_;  // outlive the streams below
    std::string path_;
    UniqueFile in_;
    uid_t uid_ = 0;
    gid_t gid_ = 0;
    mode_t mode_ = 0;
    TempFile tmp_;
};

}  // namespace vorl
