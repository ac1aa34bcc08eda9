#include <stdlib.h>

#include <vorl/sz_list.h>

extern "C" void VLIBSzListFree(SzList *pList) {
    free(pList);
}
