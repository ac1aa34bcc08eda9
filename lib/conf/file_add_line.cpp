// VLIBFileAddLine: inserts a line before or after the line that matches a
// pattern, or at the start or end of the file.
#include <stdio.h>
#include <sys/stat.h>

#include <string>

#include <vorl/conf.h>

#include "conf/file_direct_write.h"
#include "conf/file_rewrite.h"
#include "conf/line_find.h"
#include "core/api_guard.h"
#include "core/line_reader.h"

int VLIBFileAddLine(const char *szPath, const char *szPattern, const char *szNewLine, int flags) {
    if (!szPath || !szNewLine || flags < 0) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    return vorl::Guard(-1, [&] {
        std::string newLine = std::string(szNewLine) + "\n";
        vorl::FileRewrite rw;
        switch (rw.Open(szPath, "r+")) {
            case vorl::FileRewrite::kOpened:
                break;
            case vorl::FileRewrite::kMissing:
                return vorl::CreateFileWith(szPath, newLine, false) ? 1 : -1;
            default:
                return -1;
        }

        long target = 1;  // without a pattern the new line comes first
        if (szPattern) {
            long found = vorl::LineFind(rw.in(), szPattern, flags);
            if (found < 0) return -1;
            if (found == 0) {
                VORL_ERR(ERR_NOT_FOUND);
                return 0;
            }
            target = found + ((flags & VLIB_LINE_INSERT_AFTER) ? 1 : 0);
            rewind(rw.in());
        } else if (flags & VLIB_LINE_INSERT_AFTER) {
            // Appended in place; a last line without a line feed is ended first.
            return vorl::AppendInPlace(
                       rw.in(),
                       [&](FILE *fp) {
                           if (fwrite(newLine.data(), 1, newLine.size(), fp) == newLine.size())
                               return true;
                           VORL_ERR(ERR_WRITE_FAILED);
                           return false;
                       })
                       ? 1
                       : -1;
        }

        if (!rw.Start()) return -1;
        vorl::LineReader rd(rw.in());
        bool fWritten = false, fEndsWithNewline = true;
        while (rd.Next()) {
            if (rd.LineNo() == target) {
                if (!rw.Put(newLine)) return -1;
                fWritten = true;
            }
            if (!rw.Put(rd.view())) return -1;
            fEndsWithNewline = rd.EndsWithNewline();
        }
        if (!rd.AtEof()) {
            VORL_ERR(rd.OutOfMemory() ? ERR_OUT_OF_MEMORY : ERR_READ_FAILED);
            return -1;
        }
        if (!fWritten) {  // after the last line
            if (!fEndsWithNewline && !rw.Put("\n")) return -1;
            if (!rw.Put(newLine)) return -1;
        }
        return rw.Commit() ? 1 : -1;
    });
}
