// Setting the library error code and writing system-log lines, with the
// reporting source file's own name ("file_get_key_value.c") and line.
#pragma once

#include <syslog.h>

#include <vorl/err.h>

#ifndef VORL_SRC
#define VORL_SRC "vorl.c"
#endif

// Sets the library error code with this source file and line.
#define VORL_ERR(code) VLIBErrSet((code), VORL_SRC, __LINE__)

// A system-log line prefixed "file.c:line ".
#define VORL_LOG(prio, fmt, ...) \
    syslog((prio), "%s:%d " fmt, VORL_SRC, __LINE__ __VA_OPT__(, ) __VA_ARGS__)
#define VORL_LOG_ERR(fmt, ...) VORL_LOG(LOG_ERR, fmt __VA_OPT__(, ) __VA_ARGS__)
