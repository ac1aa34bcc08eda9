// VLIBFileGetKeyValue: reads one key of a key="value" file.
#include <string.h>

#include <string>

#include <vorl/conf.h>
#include <vorl/str_util.h>

#include "conf/key_line.h"
#include "core/api_guard.h"
#include "core/line_reader.h"
#include "core/raii.h"

int VLIBFileGetKeyValue(const char *szPath, const char *szKey, char *szBuf, int cbBuf, int flags) {
    if (!szPath || !szKey || flags < 0 || cbBuf < 0 || (!szBuf && cbBuf != 0)) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    return vorl::Guard(-1, [&] {
        vorl::UniqueFile fp(fopen(szPath, "r"));
        if (!fp) {
            VORL_ERR(ERR_OPEN_FAILED);
            return -1;
        }
        vorl::LineReader rd(fp.get());
        std::string scratch;
        const std::string_view key(szKey);
        int result = 0;
        bool stopped = false;
        while (rd.Next()) {
            if (!vorl::KeyLineMatch(scratch, rd.view(), key)) continue;
            char *cursor = rd.data();
            VLIBStrTokNext(&cursor, "=");                   // the key
            char *szValue = VLIBStrTokNext(&cursor, "\n");  // up to the line feed
            // A line with nothing after its '=' carries no value: in the
            // last-match mode the last line with a value decides, and the
            // result and the buffer always come from that same line.
            if (szValue) {
                int cch = VLIBStrTrimSpace(szValue, nullptr);
                result = cch + 1;
                if (szBuf && result <= cbBuf) memcpy(szBuf, szValue, static_cast<size_t>(result));
            }
            if (!(flags & VLIB_KEY_LAST_MATCH)) {
                stopped = true;
                break;
            }
        }
        if (!stopped && !rd.AtEof()) {
            // A read error is not a missing key.
            VORL_ERR(rd.OutOfMemory() ? ERR_OUT_OF_MEMORY : ERR_READ_FAILED);
            return -1;
        }
        if (szBuf && result > cbBuf) {
            VORL_ERR(ERR_BUFFER_TOO_SMALL);
            return -1;
        }
        if (result == 0) {
            VORL_ERR(ERR_NOT_FOUND);
            return 0;
        }
        return result;
    });
}
