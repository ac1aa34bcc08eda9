#include <vorl/sz_list.h>

extern "C" int VLIBSzListUnshift(SzList **ppList, const char *sz) {
    return VLIBSzListInsert(ppList, 0, sz);
}
