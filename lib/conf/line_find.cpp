#include "conf/line_find.h"

#include <vorl/conf.h>

#include "core/err_internal.h"
#include "core/line_reader.h"

namespace vorl {

long LineFind(FILE *fp, const char *szPattern, int flags) {
    LineReader rd(fp);
    long found = 0;
    while (rd.Next()) {
        if (!VLIBFileLineMatch(rd.data(), szPattern, flags)) continue;
        found = rd.LineNo();
        if (!(flags & VLIB_LINE_LAST_MATCH)) return found;
    }
    if (!rd.AtEof()) {
        VORL_ERR(rd.OutOfMemory() ? ERR_OUT_OF_MEMORY : ERR_READ_FAILED);
        return -1;
    }
    return found;
}

}  // namespace vorl
