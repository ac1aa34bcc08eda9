/* Record store over the B-tree library.
 *
 * A thin layer over a B-tree file opened through the 1.85-compatible
 * interface: uniform error codes, a per-handle cursor mode, caller-owned
 * growable output buffers and a few control records (keys beginning with '#')
 * that tell whether a store is in step with its text file, whether it has been
 * replaced by a rebuilt file and when its domain records were last loaded.
 *
 * Output buffers: every operation that returns record bytes takes a pointer to
 * a caller-owned buffer pointer (NULL on the first call) and a pointer to a
 * size variable, which holds the capacity on entry and the record's length on
 * return. The buffer is grown with VORLCheckAndRealloc; no terminator is
 * added. The caller frees it. A non-NULL buffer with a size of 0 is refused.
 *
 * The layer never locks and never syncs: data reaches the file when the store
 * is closed. */
#ifndef VORL_BDB_H
#define VORL_BDB_H

#include <stddef.h>
#include <stdint.h>
#include <time.h>
#include <vorl/defs.h>

/* Cursor modes of VORLBDbCursorSetType: which record the next
 * VORLBDbCursorGet returns. */
#define VORL_BDB_CURSOR_SET 1   /* first record at or after the key in the key buffer */
#define VORL_BDB_CURSOR_FIRST 2 /* first record */
#define VORL_BDB_CURSOR_LAST 3  /* last record */
#define VORL_BDB_CURSOR_NEXT 4  /* next record (the mode after open) */
#define VORL_BDB_CURSOR_PREV 5  /* previous record */

/* Control records. The key lengths differ and are part of the file format. */
#define VORL_BDB_KEY_SYNC_TIME "#VORL@SYNC@TIME"
#define VORL_BDB_KEY_SYNC_TIME_LEN 15 /* no terminating NUL */
#define VORL_BDB_KEY_DEPRECATED "#VORL@DEPRECATED"
#define VORL_BDB_KEY_DEPRECATED_LEN 17 /* the terminating NUL included */
#define VORL_BDB_KEY_EXPIRE_TIME "#VORL@EXPIRE@TIME"
#define VORL_BDB_KEY_EXPIRE_TIME_LEN 17 /* no terminating NUL */

/* Domain records older than this many seconds are loaded again. */
#define VORL_BDB_DOMAIN_EXPIRE_SECONDS 300

/* Error codes of this layer (besides ERR_BAD_PARAMETERS, ERR_OUT_OF_MEMORY
 * and ERR_NOT_FOUND of vorl/err.h). */
#define ERR_BDB_ACCESS 0x0300       /* open: EACCES */
#define ERR_BDB_NO_FILE 0x0700      /* open: ENOENT */
#define ERR_BDB_NO_SPACE 0x2900     /* open, put, delete, close: ENOSPC */
#define ERR_BDB_IO 0x6C00           /* EIO */
#define ERR_BDB_READ_ONLY_FS 0x8400 /* close: EROFS */
#define ERR_BDB_INTERRUPTED 0xAA00  /* EINTR */
#define ERR_BDB_OPEN 0xB100         /* open: EINVAL (not a B-tree file, bad flags) */
#define ERR_BDB_GET 0xB200          /* get or cursor read: any other errno */
#define ERR_BDB_PUT 0xB300          /* put: any other errno */
#define ERR_BDB_DEL 0xB400          /* delete: any other errno */
#define ERR_BDB_END 0xB500          /* cursor read: no more records */

/* A key or data descriptor, laid out as the B-tree library's own. */
typedef struct VORLDBT {
    void *data;  /* the bytes; not owned */
    size_t size; /* their number */
} VORLDBT;

/* A store handle, made by VORLBDbOpen and released by VORLBDbClose. */
typedef struct VORLBDB {
    void *pDB;            /* the open B-tree (the library's DB handle); NULL only transiently */
    uint32_t fCursorType; /* VORL_BDB_CURSOR_*; any other value reads as NEXT */
} VORLBDB;

VORL_BEGIN_DECLS

/* Opens (with O_CREAT: creates, mode 0666 before the umask) a B-tree store.
 * fDup 1 allows several records under one key (kept in insertion order); the
 * setting is stored in the file. Run as root, the file is set to exactly 0666.
 * A new handle in mode VORL_BDB_CURSOR_NEXT, or NULL. */
VORL_API VORLBDB *VORLBDbOpen(const char *szPath, int flags, int fDup);
/* Closes the B-tree and releases the handle: 0 once the handle is released,
 * even if closing the B-tree failed (the code is then set); -1 for NULL. */
VORL_API int VORLBDbClose(VORLBDB *pDB);
/* The record of the key (with duplicates, its first one). 0, or -1 with
 * ERR_NOT_FOUND when the key is absent (the buffer is then left alone). */
VORL_API int VORLBDbGet(VORLBDB *pDB, const void *pKey, int cbKey, char **ppData, int *pcbData);
/* Writes a record; a key beginning with '#' replaces every record of that key
 * even in a store with duplicates. Empty keys and values cannot be stored. */
VORL_API int VORLBDbSet(VORLBDB *pDB, const void *pKey, int cbKey, const void *pValue, int cbValue);
/* Removes every record of the key; -1 with ERR_NOT_FOUND when there was none. */
VORL_API int VORLBDbDelete(VORLBDB *pDB, const void *pKey, int cbKey);
/* Sets the cursor mode (VORL_BDB_CURSOR_*, 1..5). */
VORL_API int VORLBDbCursorSetType(VORLBDB *pDB, int fType);
/* Reads one record (key and value) as the cursor mode says; with fSkip 1
 * control records are passed over (mode FIRST then becomes NEXT, LAST becomes
 * PREV). In mode SET the key buffer holds the search key. -1 with
 * ERR_BDB_END past the last record. */
VORL_API int VORLBDbCursorGet(VORLBDB *pDB, int fSkip, char **ppKey, int *pcbKey, char **ppData,
                              int *pcbData);
/* Fills a descriptor; -1 for a NULL descriptor. */
VORL_API int VORLBDbDbtSet(VORLDBT *pDbt, const void *pData, int cbData);
/* Copies a descriptor's bytes into a caller buffer (see Output buffers). */
VORL_API int VORLBDbDbtCopyout(const VORLDBT *pDbt, char **ppData, int *pcbData);
/* Writes "#VORL@DEPRECATED": 0 while the file is current, 1 once replaced. */
VORL_API int VORLBDbDeprecatedSet(VORLBDB *pDB, int value);
/* The stored deprecated mark, or -1 when it cannot be read (missing too). */
VORL_API int VORLBDbDeprecatedGet(VORLBDB *pDB);
/* Writes "#VORL@SYNC@TIME": the text file's modification time. */
VORL_API int VORLBDbConfSyncTimeSet(VORLBDB *pDB, time_t mtime);
/* 0 and a new 4-byte buffer holding the stored sync time (*ppTime must be
 * NULL on entry; the caller frees the buffer). A record of another length
 * reads as missing (ERR_NOT_FOUND). */
VORL_API int VORLBDbConfSyncTimeGet(VORLBDB *pDB, int32_t **ppTime);
/* 1 when the stored sync time differs from mtime, 0 when equal, -1 when it
 * cannot be read. */
VORL_API int VORLBDbIsNeedToRebuild(VORLBDB *pDB, time_t mtime);
/* Writes the current time into "#VORL@EXPIRE@TIME". */
VORL_API int VORLBDbDomainExpireTimeSet(VORLBDB *pDB);
/* As VORLBDbConfSyncTimeGet for "#VORL@EXPIRE@TIME". */
VORL_API int VORLBDbDomainExpireTimeGet(VORLBDB *pDB, int32_t **ppTime);
/* 1 when the domain records must be loaded again (stored time missing, more
 * than 300 seconds old, or in the future), else 0; -1 for a NULL handle. */
VORL_API int VORLBDbDomainIsNeedToRebuild(VORLBDB *pDB);

VORL_END_DECLS

#endif /* VORL_BDB_H */
