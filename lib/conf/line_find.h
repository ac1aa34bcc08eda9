// Finding a line of a line file by pattern.
#pragma once

#include <stdio.h>

namespace vorl {

// The number (from 1) of the first line of the stream that matches the
// pattern under the flags (VLIBFileLineMatch), or of the last one under
// VLIB_LINE_LAST_MATCH; 0 when none matches; -1 on a read error
// (ERR_READ_FAILED, or ERR_OUT_OF_MEMORY). Reads from the current position.
long LineFind(FILE *fp, const char *szPattern, int flags);

}  // namespace vorl
