// VLIBFileGetLine: reads the line of a line file that matches a pattern.
#include <string.h>

#include <string>

#include <vorl/conf.h>

#include "core/api_guard.h"
#include "core/line_reader.h"
#include "core/raii.h"

int VLIBFileGetLine(const char *szPath, const char *szPattern, char *szBuf, int cbBuf, int flags) {
    if (!szPath || !szPattern || !szBuf || cbBuf <= 0 || flags < 0) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    memset(szBuf, 0, static_cast<size_t>(cbBuf));
    return vorl::Guard(-1, [&] {
        vorl::UniqueFile fp(fopen(szPath, "r"));
        if (!fp) {
            VORL_ERR(ERR_OPEN_FAILED);
            return -1;
        }
        vorl::LineReader rd(fp.get());
        std::string found;
        bool fFound = false, fStopped = false;
        while (rd.Next()) {
            if (!VLIBFileLineMatch(rd.data(), szPattern, flags)) continue;
            found.assign(rd.data());  // up to a NUL inside the line, as it is matched
            fFound = true;
            if (!(flags & VLIB_LINE_LAST_MATCH)) {
                fStopped = true;
                break;
            }
        }
        if (!fStopped && !rd.AtEof()) {
            VORL_ERR(rd.OutOfMemory() ? ERR_OUT_OF_MEMORY : ERR_READ_FAILED);
            return -1;
        }
        if (!fFound) {
            VORL_ERR(ERR_NOT_FOUND);
            return 0;
        }
        if (!found.empty() && found.back() == '\n') found.pop_back();
        if (found.size() + 1 > static_cast<size_t>(cbBuf)) {
            VORL_ERR(ERR_BUFFER_TOO_SMALL);
            return -1;
        }
        memcpy(szBuf, found.c_str(), found.size() + 1);
        return static_cast<int>(found.size() + 1);
    });
}
