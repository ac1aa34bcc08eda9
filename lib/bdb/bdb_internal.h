// Helpers shared by the record-store operations. They set no error code
// themselves: each operation reports under its own file name.
#pragma once

#include <errno.h>
#include <stdint.h>
#include <stdlib.h>

#include <vorl/bdb.h>
#include <vorl/err.h>

namespace vorl::bdb {

// Codes for a failed get or cursor read, put, delete and close (0: none).
inline unsigned ReadErrCode(int err) {
    return err == EIO ? ERR_BDB_IO : err == EINTR ? ERR_BDB_INTERRUPTED : ERR_BDB_GET;
}
// The codes every failed write shares; fallback for any other errno.
inline unsigned WriteErrCode(int err, unsigned fallback) {
    switch (err) {
        case EIO:
            return ERR_BDB_IO;
        case EINTR:
            return ERR_BDB_INTERRUPTED;
        case ENOSPC:
            return ERR_BDB_NO_SPACE;
        default:
            return fallback;
    }
}
inline unsigned PutErrCode(int err) {
    return WriteErrCode(err, ERR_BDB_PUT);
}
inline unsigned DelErrCode(int err) {
    return WriteErrCode(err, ERR_BDB_DEL);
}
inline unsigned CloseErrCode(int err) {
    return err == EROFS ? ERR_BDB_READ_ONLY_FS : WriteErrCode(err, 0);
}

// A caller's output buffer: a NULL size variable, a negative size or a
// non-NULL buffer of size 0 is refused.
inline bool OutBufferOk(char *const *ppData, const int *pcbData) {
    return ppData && pcbData && *pcbData >= 0 && !(*ppData && *pcbData == 0);
}

// Control-record integers: 4 bytes, little-endian (the appliance's own
// order, so files are shared with it whatever this machine's order is).
inline void PutInt32(unsigned char *p, int32_t value) {
    uint32_t v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}
inline int32_t GetInt32(const unsigned char *p) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<uint32_t>(p[i]) << (8 * i);
    return static_cast<int32_t>(v);
}

inline int SetControlInt(VORLBDB *pDB, const char *szKey, int cbKey, int32_t value) {
    unsigned char rgb[4];
    PutInt32(rgb, value);
    return VORLBDbSet(pDB, szKey, cbKey, rgb, sizeof(rgb));
}

// Reads a control integer: 0 with the value; otherwise -1 with the code the
// caller sets in *pCode: ERR_NOT_FOUND when the record is not 4 bytes long,
// 0 when the read failed (VORLBDbGet set the code).
inline int GetControlInt(VORLBDB *pDB, const char *szKey, int cbKey, int32_t *pValue,
                         unsigned *pCode) {
    char *pb = nullptr;
    int cb = 0;
    *pCode = 0;
    if (VORLBDbGet(pDB, szKey, cbKey, &pb, &cb) < 0) return -1;
    int rc = -1;
    if (cb == 4) {
        *pValue = GetInt32(reinterpret_cast<const unsigned char *>(pb));
        rc = 0;
    } else {
        *pCode = ERR_NOT_FOUND;
    }
    free(pb);
    return rc;
}

// Reads a control time into a new malloc()ed value for *ppTime: 0; otherwise
// -1 with the code the caller sets in *pCode as for GetControlInt, or
// ERR_OUT_OF_MEMORY.
inline int GetControlTime(VORLBDB *pDB, const char *szKey, int cbKey, int32_t **ppTime,
                          unsigned *pCode) {
    int32_t value = 0;
    if (GetControlInt(pDB, szKey, cbKey, &value, pCode) != 0) return -1;
    auto *p = static_cast<int32_t *>(malloc(sizeof(int32_t)));
    if (!p) {
        *pCode = ERR_OUT_OF_MEMORY;
        return -1;
    }
    *p = value;
    *ppTime = p;
    return 0;
}

}  // namespace vorl::bdb
