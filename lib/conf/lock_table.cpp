// The lock table: one entry per protected resource, in locking order.
#include "conf/lock_table.h"

#include <vorl/file_lock.h>

namespace vorl {

LockEntry g_rgLockEntry[] = {
    {{}, VLIB_LOCK_DIR "lock_vorlinfo", VLIB_LOCK_VORLINFO, 0, 0},
    {{}, VLIB_LOCK_DIR "lock_pw", VLIB_LOCK_PW, 0, 0},
    {{}, VLIB_LOCK_DIR "lock_gr", VLIB_LOCK_GR, 0, 0},
    {{}, VLIB_LOCK_DIR "lock_rc", VLIB_LOCK_RC, 0, 0},
    {{}, VLIB_LOCK_DIR "lock_host", VLIB_LOCK_HOST, 0, 0},
    {{}, VLIB_LOCK_DIR "lock_smb", VLIB_LOCK_SMB, 0, 0},
    {{}, VLIB_LOCK_DIR "lock_exports", VLIB_LOCK_EXPORTS, 0, 0},
    {{}, VLIB_LOCK_DIR "lock_nw", VLIB_LOCK_NW, 0, 0},
    {{}, VLIB_LOCK_DIR "lock_apple", VLIB_LOCK_APPLE, 0, 0},
    {{}, VLIB_LOCK_DIR "lock_snmp", VLIB_LOCK_SNMP, 0, 0},
    {{}, VLIB_LOCK_DIR "lock_win", VLIB_LOCK_WIN, 0, 0},
    {{}, VLIB_LOCK_DIR "lock_tapebkp", VLIB_LOCK_TAPEBKP, 0, 0},
    {{}, VLIB_LOCK_DIR "lock_connect", VLIB_LOCK_CONNECT, 0, 0},
    {{}, VLIB_LOCK_DIR "lock_usbidmap", VLIB_LOCK_USBIDMAP, 0, 0},
    {{}, VLIB_LOCK_DIR "lock_duseruid", VLIB_LOCK_DUSERUID, 0, 0},
    {{}, VLIB_LOCK_DIR "lock_dusergid", VLIB_LOCK_DUSERGID, 0, 0},
    {{}, VLIB_LOCK_DIR "lock_fstab", VLIB_LOCK_FSTAB, 0, 0},
    {{}, VLIB_LOCK_DIR "lock_hotswap", VLIB_LOCK_HOTSWAP, 0, 0},
    {{}, nullptr, 0, 0, 0},
};

}  // namespace vorl
