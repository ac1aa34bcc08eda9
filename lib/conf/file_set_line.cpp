// VLIBFileSetLine: replaces or deletes the line that matches a pattern.
#include <string>

#include <vorl/conf.h>

#include "conf/file_direct_write.h"
#include "conf/file_rewrite.h"
#include "conf/line_find.h"
#include "core/api_guard.h"
#include "core/line_reader.h"

int VLIBFileSetLine(const char *szPath, const char *szPattern, const char *szNewLine, int flags) {
    if (!szPath || !szPattern || flags < 0) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    return vorl::Guard(-1, [&] {
        std::string newLine = szNewLine ? std::string(szNewLine) + "\n" : std::string();
        vorl::FileRewrite rw;
        switch (rw.Open(szPath)) {
            case vorl::FileRewrite::kOpened:
                break;
            case vorl::FileRewrite::kMissing:
                return vorl::CreateFileWith(szPath, newLine, false) ? 1 : -1;
            default:
                return -1;
        }
        long target = vorl::LineFind(rw.in(), szPattern, flags);
        if (target < 0) return -1;
        if (target == 0) {
            VORL_ERR(ERR_NOT_FOUND);
            return 0;
        }
        rewind(rw.in());

        if (!rw.Start()) return -1;
        vorl::LineReader rd(rw.in());
        while (rd.Next()) {
            // Only the one line changes, even when others match too.
            if (!rw.Put(rd.LineNo() == target ? std::string_view(newLine) : rd.view())) return -1;
        }
        if (!rd.AtEof()) {
            VORL_ERR(rd.OutOfMemory() ? ERR_OUT_OF_MEMORY : ERR_READ_FAILED);
            return -1;
        }
        return rw.Commit() ? 1 : -1;
    });
}
