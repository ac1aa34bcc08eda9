#include <errno.h>

#include "bdb/bdb_internal.h"
#include "bdb/bdb_raw.h"
#include "core/err_internal.h"

extern "C" int VORLBDbCursorGet(VORLBDB *pDB, int fSkip, char **ppKey, int *pcbKey, char **ppData,
                                int *pcbData) {
    if (!pDB || !pDB->pDB || !vorl::bdb::OutBufferOk(ppKey, pcbKey) ||
        !vorl::bdb::OutBufferOk(ppData, pcbData) ||
        (pDB->fCursorType == VORL_BDB_CURSOR_SET && (!*ppKey || *pcbKey <= 0))) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    // The flag of this read. A search by key that lands on a skipped control
    // record goes on with the next record: searching again with the skipped
    // key (now in the key buffer) would find the same record forever.
    uint32_t fSeq = pDB->fCursorType;
    for (;;) {
        VORLDBT key{}, data{};
        if (fSeq == VORL_BDB_CURSOR_SET) VORLBDbDbtSet(&key, *ppKey, *pcbKey);
        int rc = vorl::bdb::RawSeq(vorl::bdb::Raw(pDB), &key, &data, fSeq);
        if (rc < 0) {
            int err = errno;
            VORL_LOG_ERR("errno=%d/%m, db->seq failed.", err);
            VORL_ERR(vorl::bdb::ReadErrCode(err));
            return -1;
        }
        if (rc > 0) {
            VORL_ERR(ERR_BDB_END);
            return -1;
        }
        if (VORLBDbDbtCopyout(&key, ppKey, pcbKey) != 0 ||
            VORLBDbDbtCopyout(&data, ppData, pcbData) != 0)
            return -1;
        if (fSkip != 1 || key.size == 0 || static_cast<const char *>(key.data)[0] != '#') return 0;

        // A control record: not returned. Positioning modes turn into steps.
        if (pDB->fCursorType == VORL_BDB_CURSOR_FIRST)
            pDB->fCursorType = VORL_BDB_CURSOR_NEXT;
        else if (pDB->fCursorType == VORL_BDB_CURSOR_LAST)
            pDB->fCursorType = VORL_BDB_CURSOR_PREV;
        fSeq = pDB->fCursorType == VORL_BDB_CURSOR_SET ? VORL_BDB_CURSOR_NEXT : pDB->fCursorType;
    }
}
