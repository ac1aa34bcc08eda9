#include <vorl/sz_list.h>

extern "C" const char *SzVLIBSzListShift(SzList *pList) {
    return SzVLIBSzListRemove(pList, 0);
}
