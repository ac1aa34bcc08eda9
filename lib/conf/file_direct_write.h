// The two writes that go to a target itself instead of through a
// FileRewrite: creating a file that does not exist yet, and appending at the
// end of an existing one.
#pragma once

#include <stdio.h>

#include <functional>
#include <string_view>

namespace vorl {

// Creates szPath (fopen "w": permissions from the umask) holding text;
// fsyncs it when fSync. ERR_OPEN_FAILED when it cannot be created,
// ERR_WRITE_FAILED when writing, flushing, syncing or closing fails - the
// file made is then removed again.
bool CreateFileWith(const char *szPath, std::string_view text, bool fSync);

// Appends at the end of the stream's file (open for update, "r+"): first a
// line feed when the file does not end with one, then what write puts into
// the stream (write sets the error code when it fails); flushes and fsyncs. On failure
// (ERR_WRITE_FAILED, or the code write set) the file is cut back to its old length, so it stays as
// it was.
bool AppendInPlace(FILE *fp, const std::function<bool(FILE *)> &write);

}  // namespace vorl
