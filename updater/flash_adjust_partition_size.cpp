#include <string.h>
#include <syslog.h>

#include "flash.h"

int ErrUPDTAdjustPartitionSize(PATCHINFO *pRows, int cRows) {
    if (!pRows) return -1;
    for (int i = 0; i < cRows; i++) {
        while (pRows[i].balance < 0) {
            // The donor: the first row with the greatest balance that may give
            // blocks (not this row, not a fixed partition).
            int donor = 0;
            for (int j = 0; j < cRows; j++) {
                if (j == i || UPDTIsFixedPartition(pRows[j].name) ||
                    strcmp(pRows[j].name, "RedBoot.msys") == 0)
                    continue;
                if (pRows[j].balance > pRows[donor].balance) donor = j;
            }
            if (pRows[donor].balance < 1) {
                syslog(LOG_ERR, "%s(%d): negative balance", __func__, __LINE__);
                return -1;
            }
            pRows[donor].balance--;
            pRows[donor].delta--;
            pRows[i].balance++;
            pRows[i].delta++;
        }
    }
    // A partition that grows pushes the later movable ones towards the end of
    // the flash; one that shrinks pulls them back.
    int32_t shift = 0;
    for (int k = 0; k < UPDT_MAX_PATCHINFO && pRows[k].name; k++) {
        PATCHINFO &row = pRows[k];
        if (UPDTIsFixedPartition(row.name)) continue;
        if (row.delta == 0 && shift == 0) continue;
        row.fneedupdate = 1;
        row.start += gEraseBlockSize * static_cast<uint32_t>(shift);
        row.size += gEraseBlockSize * static_cast<uint32_t>(row.delta);
        shift += row.delta;
    }
    return 0;
}
