// VLIBFileRemoveKey: removes every line that carries a key.
#include <string>

#include <vorl/conf.h>

#include "conf/file_rewrite.h"
#include "conf/key_line.h"
#include "core/api_guard.h"
#include "core/line_reader.h"

int VLIBFileRemoveKey(const char *szPath, const char *szKey) {
    if (!szPath || !szKey) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    return vorl::Guard(-1, [&] {
        vorl::FileRewrite rw;
        if (rw.Open(szPath) != vorl::FileRewrite::kOpened || !rw.Start()) return -1;
        vorl::LineReader rd(rw.in());
        std::string scratch;
        const std::string_view key(szKey);
        int cRemoved = 0;
        while (rd.Next()) {
            if (vorl::KeyLineMatch(scratch, rd.view(), key)) {
                ++cRemoved;
            } else if (!rw.Put(rd.view())) {
                return -1;
            }
        }
        if (!rd.AtEof()) {
            VORL_ERR(rd.OutOfMemory() ? ERR_OUT_OF_MEMORY : ERR_WRITE_FAILED);
            return -1;
        }
        if (cRemoved == 0) {
            rw.Discard();
            VORL_ERR(ERR_NOT_FOUND);
            return 0;
        }
        return rw.Commit() ? cRemoved : -1;
    });
}
