// The B-tree library's 1.85-compatible interface, wrapped. Its header defines
// very generic names (DB, DBT, R_*, RET_*), so only bdb_raw.cpp includes it;
// the operations of this module call these wrappers instead. Every wrapper
// keeps the library's results (0 done, 1 not found or end, -1 error with
// errno set) and leaves errno as the library left it.
#pragma once

#include <vorl/bdb.h>

namespace vorl::bdb {

// The database handle of a store handle.
inline void *Raw(const VORLBDB *pDB) {
    return pDB->pDB;
}

// dbopen() with the B-tree method; fDup asks for duplicate keys (a parameter
// block with only R_DUP set), otherwise no parameter block is passed.
void *RawOpen(const char *szPath, int flags, int mode, bool fDup);
// The descriptor of the open file, or -1.
int RawFd(void *db);
int RawClose(void *db);
int RawGet(void *db, const VORLDBT *pKey, VORLDBT *pData);
// put with flags 0.
int RawPut(void *db, VORLDBT *pKey, const VORLDBT *pData);
// del with flags 0: every record of the key.
int RawDel(void *db, const VORLDBT *pKey);
// seq with the flag of a cursor mode (VORL_BDB_CURSOR_*; others read as NEXT).
int RawSeq(void *db, VORLDBT *pKey, VORLDBT *pData, uint32_t fCursorType);

}  // namespace vorl::bdb
