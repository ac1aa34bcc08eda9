// VLIBFileReplaceSubStr: replaces every occurrence of a text in a file.
#include <string.h>

#include <string>
#include <string_view>

#include <vorl/conf.h>

#include "conf/file_rewrite.h"
#include "core/api_guard.h"
#include "core/line_reader.h"

int VLIBFileReplaceSubStr(const char *szPath, const char *szOld, const char *szNew) {
    if (!szPath || !szOld || !szNew || !*szOld) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    return vorl::Guard(-1, [&] {
        vorl::FileRewrite rw;
        if (rw.Open(szPath) != vorl::FileRewrite::kOpened || !rw.Start()) return -1;
        const std::string_view oldText(szOld), newText(szNew);
        vorl::LineReader rd(rw.in());
        std::string out;
        int cReplaced = 0;
        while (rd.Next()) {
            // Left to right, without overlaps; the new text is not searched again.
            std::string_view line = rd.view();
            out.clear();
            size_t from = 0;
            for (size_t at; (at = line.find(oldText, from)) != std::string_view::npos;
                 from = at + oldText.size()) {
                out.append(line.substr(from, at - from)).append(newText);
                ++cReplaced;
            }
            out.append(line.substr(from));
            if (!rw.Put(out)) return -1;
        }
        if (!rd.AtEof()) {
            VORL_ERR(rd.OutOfMemory() ? ERR_OUT_OF_MEMORY : ERR_READ_FAILED);
            return -1;
        }
        if (cReplaced == 0) {
            rw.Discard();
            VORL_ERR(ERR_NOT_FOUND);
            return 0;
        }
        return rw.Commit() ? cReplaced : -1;
    });
}
