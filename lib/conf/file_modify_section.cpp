// VLIBFileModifySection: rewrites (mode bit 0) or drops every section of a
// name; comment lines inside it stay.
#include <vorl/conf.h>

#include "conf/file_rewrite.h"
#include "conf/line_format.h"
#include "conf/writer_check.h"
#include "core/api_guard.h"
#include "core/line_reader.h"

int VLIBFileModifySection(const char *szPath, const char *szSection, const char *szNewSection,
                          const SzHash *pHash, int mode, const char *szFormat) {
    const bool fWrite = mode & 1;
    if (!szPath || !szSection || (fWrite && !pHash)) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    return vorl::Guard(-1, [&] {
        if (!vorl::LineFormatValid(szFormat ? szFormat : VORL_KEY_VALUE_FORMAT) ||
            !vorl::TextFitsOnLine(szNewSection) || !vorl::HashFitsOnLines(pHash)) {
            VORL_ERR(ERR_BAD_PARAMETERS);
            return -1;
        }
        vorl::FileRewrite rw;
        if (rw.Open(szPath) != vorl::FileRewrite::kOpened || !rw.Start()) return -1;
        vorl::LineReader rd(rw.in());
        bool fInSection = false, fFound = false;
        while (rd.Next()) {
            const char *szLine = rd.data();
            if (szLine[0] == '[') {
                fInSection =
                    VLIBFileMatchSection(szLine, static_cast<int>(rd.size()), szSection) == 1;
                if (fInSection) {
                    fFound = true;
                    if (fWrite &&
                        VLIBFileHash2File(rw.out(), szNewSection ? szNewSection : szSection, pHash,
                                          szFormat) != 0)
                        return -1;
                    continue;
                }
            } else if (fInSection && szLine[0] != '#' && szLine[0] != ';') {
                continue;  // an old entry
            }
            if (!rw.Put(rd.view())) return -1;
        }
        if (!rd.AtEof()) {
            VORL_ERR(rd.OutOfMemory() ? ERR_OUT_OF_MEMORY : ERR_READ_FAILED);
            return -1;
        }
        if (!fFound) {
            // Nothing to change: the file stays as it is.
            rw.Discard();
            VORL_ERR(ERR_NOT_FOUND);
            return 0;
        }
        return rw.Commit() ? 1 : -1;
    });
}
