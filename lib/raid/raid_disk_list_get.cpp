#include <glob.h>
#include <stdio.h>

#include "core/err_internal.h"
#include "raid/raid_internal.h"

namespace {

struct GlobFree {
    glob_t *g;
    ~GlobFree() { globfree(g); }
};

}  // namespace

extern "C" int VORLRaidDiskListGet(const char *szPath, VORLRAIDDISK **ppList) {
    if (!szPath || !ppList) {
        VORL_ERR(ERR_BAD_PARAMETERS);
        return -1;
    }
    int md = 0;
    if (!RaidMdNumber(szPath, &md, VORL_SRC, __LINE__)) return -1;
    char pattern[64];
    snprintf(pattern, sizeof(pattern), "/sys/block/md%d/md/dev-*", md);
    glob_t g{};
    GlobFree release{&g};
    int rc = glob(pattern, GLOB_NOSORT, nullptr, &g);
    if (rc == GLOB_NOMATCH) return 0;
    if (rc != 0) {
        VORL_LOG(LOG_DEBUG, "failed to glob '%s', errno=%m", pattern);
        VORL_ERR(ERR_RAID_KERNEL);
        return -1;
    }
    VORLRAIDDISK *list = nullptr;
    for (size_t i = 0; i < g.gl_pathc; ++i) {
        VORLRAIDDISK *disk = nullptr;
        if (VORLRaidDiskCreate(g.gl_pathv[i], &disk) != 0) {
            VORL_LOG(LOG_DEBUG, "Failed to create disk info from %s ,errno=0X%X", g.gl_pathv[i],
                     VLIBErrGet());
            RaidDiskListFree(list);
            return -1;
        }
        RaidDiskListPush(&list, disk);
    }
    // Hand the new records over in front of what the caller's list held.
    if (list) {
        VORLRAIDDISK *tail = list;
        while (tail->pNext)
            tail = tail->pNext;
        tail->pNext = *ppList;
        *ppList = list;
    }
    return 0;
}
