/* String, buffer and process utilities shared by the whole library. */
#ifndef VORL_STR_UTIL_H
#define VORL_STR_UTIL_H

#include <stddef.h>
#include <vorl/defs.h>
#include <vorl/sz_list.h>

#define VORL_SYSCTLD_PID_FILE "/var/run/sysctld.pid"

VORL_BEGIN_DECLS

VORL_API int VLIBStrTrimSpace(char *szSrc, char *szDst);
VORL_API char *VLIBStrTokNext(char **pszCursor, const char *szDelim);
VORL_API int VLIBStrTok(const char *sz, const char *szDelim, SzList **ppList);
VORL_API int VLIBStrSep(const char *sz, const char *szDelim, SzList **ppList);
VORL_API int VLIBStrSepPair(const char *sz, SzList **ppList);
VORL_API int VLIBStrJoin(const char *const *rgsz, int count, const char *szSep, char **pszBuf,
                         int *pcbBuf);
VORL_API int VLIBStrReplace(char *sz, const char *szOld, const char *szNew, char *szOut,
                            int cbLimit);
VORL_API int VLIBStrEncodeColon(const char *szSrc, char *szDst, int cbLimit);
VORL_API int VLIBStrDecodeColon(const char *szSrc, char *szDst, int cbLimit);
VORL_API int VORLCheckAndRealloc(void **ppData, int *pcbAlloc, int cbNeed);
VORL_API void *VLIBMemRealloc(void *p, size_t cb);

/* Runs a program with up to four arguments (the first NULL ends them), no
 * shell; answers its exit status, or -1 with ERR_EXEC_FAILED. */
VORL_API int VLIBProcExec(const char *szPath, const char *szArg1, const char *szArg2,
                          const char *szArg3, const char *szArg4);
/* The same with a NULL-terminated argument vector; rgszArgv[0] is the program
 * path (searched in PATH when it holds no '/') and is passed as argument 0. */
VORL_API int VLIBProcExecArgv(const char *const *rgszArgv);

VORL_API int VORLSignalSysctld(int sig);
VORL_API int VLIBGuestSupport(void);
VORL_API void VLIBFileTruncateSync(const char *szPath);
VORL_API int VLIBAccountNameKind(const char *szName);

VORL_END_DECLS

#endif /* VORL_STR_UTIL_H */
