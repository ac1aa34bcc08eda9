// VLIBILineKeyMoveHash2File: one line of a many-key rewrite.
#include "conf/line_key_move_hash2file.h"

#include <vorl/str_util.h>

#include "core/err_internal.h"

namespace vorl {

int VLIBILineKeyMoveHash2File(std::string_view line, FileRewrite &rw, SzHash *pSet, SzHash *pRemove,
                              const char *szFormat, int *pcChanged, std::string &scratch) {
    size_t first = line.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos || line[first] == '#' || line[first] == ';')
        return rw.Put(line) ? 0 : -1;

    // The key is read as every reader of the file reads it: the first
    // non-empty '='-piece, trimmed.
    scratch.assign(line);
    char *cursor = scratch.data();
    char *szKey = VLIBStrTokNext(&cursor, "=");
    if (!szKey || VLIBStrTrimSpace(szKey, nullptr) <= 0) return rw.Put(line) ? 0 : -1;

    if (pRemove && SzVLIBSzHashGetValue(pRemove, szKey)) {
        if (!SzVLIBSzHashRemoveKey(pRemove, szKey)) {
            VORL_LOG_ERR("SzVLIBSzHashRemoveKey() szKey=%s", szKey);
            return -1;
        }
        ++*pcChanged;
        return 0;
    }
    if (const char *szValue = SzVLIBSzHashGetValue(pSet, szKey)) {
        if (!rw.Put(LineFormatApply(szFormat, szKey, szValue))) return -1;
        if (!SzVLIBSzHashRemoveKey(pSet, szKey)) {
            VORL_LOG_ERR("SzVLIBSzHashRemoveKey() szKey=%s", szKey);
            return -1;
        }
        ++*pcChanged;
        return 0;
    }
    return rw.Put(line) ? 0 : -1;
}

}  // namespace vorl
