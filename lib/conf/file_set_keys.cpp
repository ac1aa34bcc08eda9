// VLIBFileSetKeys: sets and removes many keys of a key="value" file in one
// rewrite.
#include <unistd.h>

#include <string>

#include <vorl/conf.h>

#include "conf/file_rewrite.h"
#include "conf/line_format.h"
#include "conf/line_key_move_hash2file.h"
#include "conf/writer_check.h"
#include "core/api_guard.h"
#include "core/line_reader.h"
#include "core/raii.h"

int VLIBFileSetKeys(const char *szPath, SzHash *pSet, SzHash *pRemove, const char *szFormat) {
    if (!szPath || !pSet) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    return vorl::Guard(-1, [&] {
        const char *szFmt = szFormat ? szFormat : VORL_KEY_VALUE_FORMAT;
        if (!vorl::LineFormatValid(szFmt) || !vorl::HashFitsOnLines(pSet)) {
            VORL_ERR(ERR_BAD_PARAMETERS);
            return -1;
        }
        vorl::FileRewrite rw;
        switch (rw.Open(szPath)) {
            case vorl::FileRewrite::kOpened:
                break;
            case vorl::FileRewrite::kMissing:
                rw.ForNewFile(szPath, getuid(), getgid(), 0644);
                break;
            default:
                return -1;
        }
        if (!rw.Start()) return -1;

        int cChanged = 0;
        bool fEndsWithNewline = true;
        if (rw.in()) {
            vorl::LineReader rd(rw.in());
            std::string scratch;
            while (rd.Next()) {
                fEndsWithNewline = rd.EndsWithNewline();
                if (vorl::VLIBILineKeyMoveHash2File(rd.view(), rw, pSet, pRemove, szFmt, &cChanged,
                                                    scratch) < 0) {
                    std::string line(rd.view());
                    VORL_LOG_ERR("VLIBILineKeyMoveHash2File() failed! szBuf=%s, szFormat=%s",
                                 line.c_str(), szFmt);
                    return -1;
                }
            }
            if (!rd.AtEof()) {
                VORL_ERR(rd.OutOfMemory() ? ERR_OUT_OF_MEMORY : ERR_WRITE_FAILED);
                return -1;
            }
        }
        if (pSet->nKey > 0) {
            // The keys no line carried are appended, in the hash's slot order.
            vorl::SzListHandle keys(PslVLIBSzListAlloc(1024));
            if (!keys.p || VLIBSzHashEnumKey(pSet, &keys.p) < 0) {
                VORL_LOG_ERR("VLIBSzHashEnumKey() failed!");
                return -1;
            }
            if (!fEndsWithNewline && !rw.Put("\n")) return -1;
            for (int i = 0; i < keys.p->nItem; ++i) {
                const char *szKey = SzVLIBSzListGet(keys.p, i);
                if (!szKey || !*szKey) continue;
                if (!rw.Put(vorl::LineFormatApply(szFmt, szKey, SzVLIBSzHashGetValue(pSet, szKey))))
                    return -1;
                ++cChanged;
            }
        }
        return rw.Commit() ? cChanged : -1;
    });
}
