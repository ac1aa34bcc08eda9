// Reading a daemon's pid file before signalling it.
#pragma once

#include <sys/types.h>

namespace vorl {

// The pid on the first line of a pid file (a decimal number, as "%u\n"
// reads it): -1 when the file cannot be opened; 0 when it holds no number or
// one that must never be signalled (0 and negative values address process
// groups or every process, 1 is init, larger values do not fit a pid).
pid_t ReadPidFile(const char *szPath);

}  // namespace vorl
