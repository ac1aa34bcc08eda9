#include "flash.h"

int UPDTHasNegativeBalance(const PATCHINFO *pRows, int cRows) {
    if (!pRows) return 0;
    for (int i = 0; i < cRows; i++)
        if (pRows[i].balance < 0) return 1;
    return 0;
}
