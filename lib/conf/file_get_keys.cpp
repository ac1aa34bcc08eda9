// VLIBFileGetKeys: reads the wanted keys (or all keys) of a file into an SzHash.
#include <string.h>

#include <vorl/conf.h>
#include <vorl/str_util.h>

#include "core/api_guard.h"
#include "core/line_reader.h"
#include "core/raii.h"

int VLIBFileGetKeys(const char *szPath, const SzList *pWanted, SzHash **ppHash,
                    const char *szDelim) {
    if (!szPath || !ppHash || !*ppHash || !szDelim) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    return vorl::Guard(-1, [&] {
        vorl::SzListHandle work(PslVLIBSzListAlloc(512));
        if (!work.p) {
            VORL_ERR(ERR_OUT_OF_MEMORY);
            return -1;
        }
        if (pWanted && !PslVLIBSzListOr(&work.p, pWanted, 0)) {
            VORL_LOG_ERR("PslVLIBSzListOr() failed!! vorlerr=[0x%04X]", VLIBErrGet());
            return -1;
        }
        const bool fAll = work.p->nItem == 0;
        vorl::UniqueFile fp(fopen(szPath, "r"));
        if (!fp) {
            VORL_ERR(ERR_OPEN_FAILED);
            return -1;
        }
        vorl::LineReader rd(fp.get());
        bool fDone = false;
        while (!fDone && rd.Next()) {
            char *szLine = rd.data();
            if (szLine[0] == '#' || szLine[0] == ';') continue;
            char *cursor = szLine;
            char *szKey = VLIBStrTokNext(&cursor, szDelim);
            char *szValue = cursor;  // the rest of the line after the delimiter
            if (!szKey || !szValue || !*szValue) continue;
            if (VLIBStrTrimSpace(szKey, nullptr) <= 0) continue;
            VLIBStrTrimSpace(szValue, nullptr);
            if (!fAll) {
                int i = VLIBSzListFind(work.p, szKey);
                if (i < 0) continue;
                SzVLIBSzListRemove(work.p, i);
                fDone = work.p->nItem == 0;
            }
            if (VLIBSzHashSetValue(ppHash, szKey, szValue) < 0) {
                VORL_ERR(ERR_OUT_OF_MEMORY);
                return -1;
            }
        }
        if (!fDone && !rd.AtEof()) {
            VORL_ERR(rd.OutOfMemory() ? ERR_OUT_OF_MEMORY : ERR_READ_FAILED);
            return -1;
        }
        return (*ppHash)->nKey;
    });
}
