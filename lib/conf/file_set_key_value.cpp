// VLIBFileSetKeyValue: sets one key of a key="value" file.
#include <string>

#include <vorl/conf.h>

#include "conf/file_direct_write.h"
#include "conf/file_rewrite.h"
#include "conf/line_format.h"
#include "conf/key_line.h"
#include "conf/writer_check.h"
#include "core/api_guard.h"
#include "core/line_reader.h"

int VLIBFileSetKeyValue(const char *szPath, const char *szKey, const char *szValue,
                        const char *szFormat) {
    if (!szPath || !szKey || !szValue) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    return vorl::Guard(-1, [&] {
        const char *szFmt = szFormat ? szFormat : VORL_KEY_VALUE_FORMAT;
        // A line feed or carriage return in key or value would start a line
        // of its own in the file.
        if (!vorl::LineFormatValid(szFmt) || !vorl::TextFitsOnLine(szKey) ||
            !vorl::TextFitsOnLine(szValue)) {
            VORL_ERR(ERR_BAD_PARAMETERS);
            return -1;
        }
        vorl::FileRewrite rw;
        switch (rw.Open(szPath)) {
            case vorl::FileRewrite::kOpened:
                break;
            case vorl::FileRewrite::kMissing:
                return vorl::CreateFileWith(szPath, vorl::LineFormatApply(szFmt, szKey, szValue),
                                            true)
                           ? 1
                           : -1;
            default:
                return -1;
        }
        if (!rw.Start()) return -1;

        vorl::LineReader rd(rw.in());
        std::string scratch;
        const std::string_view key(szKey);
        bool fReplaced = false, fEndsWithNewline = true;
        while (rd.Next()) {
            fEndsWithNewline = rd.EndsWithNewline();
            if (!vorl::KeyLineMatch(scratch, rd.view(), key)) {
                if (!rw.Put(rd.view())) return -1;
            } else if (!fReplaced) {
                // The key keeps its own spacing and quotes; later lines of
                // the same key go.
                std::string keyText = vorl::KeyLineKeyText(rd.view());
                if (!rw.Put(vorl::LineFormatApply(szFmt, keyText, szValue))) return -1;
                fReplaced = true;
            }
        }
        if (!rd.AtEof()) {
            VORL_ERR(rd.OutOfMemory() ? ERR_OUT_OF_MEMORY : ERR_WRITE_FAILED);
            return -1;
        }
        if (!fReplaced) {
            if (!fEndsWithNewline && !rw.Put("\n")) return -1;
            if (!rw.Put(vorl::LineFormatApply(szFmt, szKey, szValue))) return -1;
        }
        return rw.Commit() ? 1 : -1;
    });
}
