#include <syslog.h>

#include <vector>

#include "core/api_guard.h"
#include "flash.h"
#include "flash_internal.h"

namespace {

struct Span {
    std::string name;
    uint64_t start, end;
};

}  // namespace

// The body; the operation below keeps every exception inside.
namespace body {

int UPDTCheckPlanLayout(const PATCHINFO *pRows, int cRows, const VORL_FIS_ENTRY *pEntries,
                        int cEntries) {
    if (!pRows || !pEntries || cEntries < 1 || gEraseBlockSize == 0) {
        syslog(LOG_ERR, "%s(%d): parameter error", __func__, __LINE__);
        return -1;
    }
    // The flash is what the directory describes: from its lowest to its
    // highest partition. Partitions the plan does not cover keep their place.
    uint64_t low = UINT64_MAX, high = 0;
    std::vector<Span> spans;
    for (int i = 0; i < cEntries; i++) {
        uint64_t start = pEntries[i].ulFlashBase, end = start + pEntries[i].ulLength;
        if (start < low) low = start;
        if (end > high) high = end;
        std::string name = updt::EntryName(pEntries[i]);
        bool planned = false;
        for (int r = 0; r < cRows && pRows[r].name; r++)
            planned = planned || name == pRows[r].name;
        if (!planned && end > start) spans.push_back({name, start, end});
    }
    int result = 0;
    for (int r = 0; r < cRows && pRows[r].name; r++) {
        const PATCHINFO &row = pRows[r];
        uint64_t start = row.start, end = start + row.size;
        if (start < low || end > high || start % gEraseBlockSize || row.size % gEraseBlockSize) {
            syslog(LOG_ERR,
                   "%s(%d): partition [%s] at 0x%08llX size 0x%08X lies outside the flash "
                   "(0x%08llX-0x%08llX) or off the erase blocks",
                   __func__, __LINE__, row.name, static_cast<unsigned long long>(start), row.size,
                   static_cast<unsigned long long>(low), static_cast<unsigned long long>(high));
            result = -1;
        }
        if (end > start) spans.push_back({row.name, start, end});
    }
    for (size_t a = 0; a < spans.size(); a++)
        for (size_t b = a + 1; b < spans.size(); b++)
            if (spans[a].start < spans[b].end && spans[b].start < spans[a].end) {
                syslog(LOG_ERR, "%s(%d): partition [%s] overlaps partition [%s]", __func__,
                       __LINE__, spans[a].name.c_str(), spans[b].name.c_str());
                result = -1;
            }
    return result;
}

}  // namespace body

int UPDTCheckPlanLayout(const PATCHINFO *pRows, int cRows, const VORL_FIS_ENTRY *pEntries,
                        int cEntries) {
    return vorl::Guard(-1,
                       [&] { return body::UPDTCheckPlanLayout(pRows, cRows, pEntries, cEntries); });
}
