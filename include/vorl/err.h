/* The library error code: one process-wide code with the place that set it. */
#ifndef VORL_ERR_H
#define VORL_ERR_H

#include <vorl/defs.h>

#define ERR_BUFFER_TOO_SMALL 0x0100
#define ERR_OUT_OF_MEMORY 0x0200
#define ERR_LOCK_FAILED 0x0400
#define ERR_UNLOCK_FAILED 0x0500
#define ERR_OPEN_FAILED 0x0900
#define ERR_READ_FAILED 0x0A00
#define ERR_WRITE_FAILED 0x0B00
#define ERR_MKDIR_FAILED 0x0C00
#define ERR_BAD_PARAMETERS 0x0D00
#define ERR_NOT_FOUND 0x2000
#define ERR_STAT_FAILED 0x2700
#define ERR_RENAME_FAILED 0x2800
#define ERR_EXEC_FAILED 0x2A00

VORL_BEGIN_DECLS

/* Stores the code with the source file and line, and captures the call path. */
VORL_API void VLIBErrSet(unsigned int code, const char *szFile, int line);
/* The same with no file and line 0. */
VORL_API void VLIBErrSetNoPos(unsigned int code);
VORL_API unsigned int VLIBErrGet(void);
VORL_API const char *VLIBErrGetFile(void);
VORL_API int VLIBErrGetLine(void);
/* Writes the captured call path to /dev/console and to the system log. */
VORL_API void VLIBErrBacktracePrint(void);
/* Writes the captured call path to standard output. */
VORL_API void VLIBErrBacktracePuts(void);
VORL_API void VLIBErrBacktraceFree(void);

VORL_END_DECLS

#endif /* VORL_ERR_H */
