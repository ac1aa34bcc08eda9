// ErrVLIBFileAddSection: appends a section unless one of that name exists.
#include <stdio.h>

#include <vorl/conf.h>

#include "conf/file_direct_write.h"
#include "conf/file_rewrite.h"
#include "conf/line_format.h"
#include "conf/writer_check.h"
#include "core/api_guard.h"
#include "core/line_reader.h"

int ErrVLIBFileAddSection(const char *szPath, const char *szSection, const SzHash *pHash,
                          const char *szFormat) {
    if (!szPath || !szSection) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    return vorl::Guard(-1, [&] {
        if (!vorl::LineFormatValid(szFormat ? szFormat : VORL_KEY_VALUE_FORMAT) ||
            !vorl::TextFitsOnLine(szSection) || !vorl::HashFitsOnLines(pHash)) {
            VORL_ERR(ERR_BAD_PARAMETERS);
            return -1;
        }
        vorl::FileRewrite target;  // only opened: the section is appended in place
        if (target.Open(szPath, "r+") != vorl::FileRewrite::kOpened) return -1;
        vorl::LineReader rd(target.in());
        while (rd.Next()) {
            if (VLIBFileMatchSection(rd.data(), static_cast<int>(rd.size()), szSection) == 1)
                return 0;
        }
        if (!rd.AtEof()) {
            VORL_ERR(rd.OutOfMemory() ? ERR_OUT_OF_MEMORY : ERR_READ_FAILED);
            return -1;
        }
        if (!vorl::AppendInPlace(target.in(), [&](FILE *fp) {
                return VLIBFileHash2File(fp, szSection, pHash, szFormat) == 0;
            }))
            return -1;
        return 1;
    });
}
