/* Named cross-process file locks under /tmp/lock. A request or-s lock ids
 * with the flock mode in its low four bits (1 shared, 2 exclusive,
 * 4 non-blocking). Locks are counted per process. */
#ifndef VORL_FILE_LOCK_H
#define VORL_FILE_LOCK_H

#include <vorl/defs.h>

#define VLIB_LOCK_DIR "/tmp/lock/"

#define VLIB_LOCK_VORLINFO 0x800
#define VLIB_LOCK_PW 0x10
#define VLIB_LOCK_GR 0x20
#define VLIB_LOCK_RC 0x80
#define VLIB_LOCK_HOST 0x100
#define VLIB_LOCK_SMB 0x40
#define VLIB_LOCK_EXPORTS 0x200
#define VLIB_LOCK_NW 0x400
#define VLIB_LOCK_APPLE 0x1000
#define VLIB_LOCK_SNMP 0x2000
#define VLIB_LOCK_WIN 0x4000
#define VLIB_LOCK_TAPEBKP 0x8000
#define VLIB_LOCK_CONNECT 0x10000
#define VLIB_LOCK_USBIDMAP 0x20000
#define VLIB_LOCK_DUSERUID 0x40000
#define VLIB_LOCK_DUSERGID 0x80000
#define VLIB_LOCK_FSTAB 0x100000
#define VLIB_LOCK_HOTSWAP 0x200000

#define VLIB_LOCK_MODE_MASK 0xF
#define VLIB_LOCK_SH_NB 5 /* shared, non-blocking: for reading */
#define VLIB_LOCK_EX_NB 6 /* exclusive, non-blocking: for changing */

VORL_BEGIN_DECLS

VORL_API int ErrVLIBFileLock(unsigned int request, int timeout);
VORL_API int ErrVLIBFileUnlock(unsigned int ids);
VORL_API int VLIBFileLockCheckDir(void);
VORL_API int VLIBFileLockCloseAll(void);

VORL_END_DECLS

#endif /* VORL_FILE_LOCK_H */
