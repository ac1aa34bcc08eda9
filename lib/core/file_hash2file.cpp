#include <stdio.h>

#include <string>

#include "conf/line_format.h"
#include "core/api_guard.h"
#include "core/hash_internal.h"

namespace {

// A section line format: two "%s" with an '=' between them and a line feed
// after the second.
bool KeyValueLineFormat(const char *szFormat) {
    if (!vorl::LineFormatValid(szFormat)) return false;
    std::string probe = vorl::LineFormatApply(szFormat, "\x01", "\x02");
    size_t key = probe.find('\x01'), value = probe.find('\x02');
    size_t eq = probe.find('=', key);
    return eq < value && probe.find('\n', value) != std::string::npos;
}

}  // namespace

extern "C" int VLIBFileHash2File(FILE *fp, const char *szSection, const SzHash *pHash,
                                 const char *szFormat) {
    if (!fp) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    return vorl::Guard(-1, [&] {
        if (!szFormat) szFormat = "%s=%s\n";
        if (!KeyValueLineFormat(szFormat)) {
            VORL_ERR(ERR_BAD_PARAMETERS);
            return -1;
        }
        if (szSection && fprintf(fp, "[%s]\n", szSection) < 0) {
            VORL_ERR(ERR_WRITE_FAILED);
            return -1;
        }
        if (!pHash) return 0;
        for (int32_t i = 0; i < pHash->nSlot; ++i) {
            const SzHashSlot &slot = pHash->rgSlot[i];
            if (!slot.offKey) continue;
            std::string line = vorl::LineFormatApply(szFormat, vorl::HashText(pHash, slot.offKey),
                                                     vorl::HashText(pHash, slot.offValue));
            if (fwrite(line.data(), 1, line.size(), fp) != line.size()) {
                VORL_ERR(ERR_WRITE_FAILED);
                return -1;
            }
        }
        return 0;
    });
}
