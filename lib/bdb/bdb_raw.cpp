// The only file that includes <db_185.h> (see bdb_raw.h).
#include <db_185.h>

#include <cstddef>

#include "bdb/bdb_raw.h"

namespace vorl::bdb {

static_assert(sizeof(VORLDBT) == sizeof(DBT));
static_assert(offsetof(VORLDBT, data) == offsetof(DBT, data));
static_assert(offsetof(VORLDBT, size) == offsetof(DBT, size));

namespace {

DB *Db(void *db) {
    return static_cast<DB *>(db);
}
DBT *Dbt(VORLDBT *p) {
    return reinterpret_cast<DBT *>(p);
}
const DBT *Dbt(const VORLDBT *p) {
    return reinterpret_cast<const DBT *>(p);
}

u_int SeqFlag(uint32_t fCursorType) {
    switch (fCursorType) {
        case VORL_BDB_CURSOR_SET:
            return R_CURSOR;
        case VORL_BDB_CURSOR_FIRST:
            return R_FIRST;
        case VORL_BDB_CURSOR_LAST:
            return R_LAST;
        case VORL_BDB_CURSOR_PREV:
            return R_PREV;
        default:
            return R_NEXT;
    }
}

}  // namespace

void *RawOpen(const char *szPath, int flags, int mode, bool fDup) {
    BTREEINFO info{};
    info.flags = R_DUP;
    return dbopen(szPath, flags, mode, DB_BTREE, fDup ? &info : nullptr);
}

int RawFd(void *db) {
    return Db(db)->fd(Db(db));
}

int RawClose(void *db) {
    return Db(db)->close(Db(db));
}

int RawGet(void *db, const VORLDBT *pKey, VORLDBT *pData) {
    return Db(db)->get(Db(db), Dbt(pKey), Dbt(pData), 0);
}

int RawPut(void *db, VORLDBT *pKey, const VORLDBT *pData) {
    return Db(db)->put(Db(db), Dbt(pKey), Dbt(pData), 0);
}

int RawDel(void *db, const VORLDBT *pKey) {
    return Db(db)->del(Db(db), Dbt(pKey), 0);
}

int RawSeq(void *db, VORLDBT *pKey, VORLDBT *pData, uint32_t fCursorType) {
    return Db(db)->seq(Db(db), Dbt(pKey), Dbt(pData), SeqFlag(fCursorType));
}

}  // namespace vorl::bdb
