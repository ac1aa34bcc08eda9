/* An outside program: built from C and from C++ against the installed
 * library, calling its functions by their names. */
#include <stdio.h>
#include <string.h>

#include <vorl/vorl.h>

int main(void) {
    SzList *pList = PslVLIBSzListAlloc(100);
    if (!pList || pList->cbSize != 512) return 1;
    if (VLIBSzListPush(&pList, "alpha") != 0) return 2;
    if (strcmp(SzVLIBSzListGet(pList, 0), "alpha") != 0) return 3;
    VLIBSzListFree(pList);

    SzHash *pHash = PshVLIBSzHashAlloc(512);
    if (!pHash || VLIBSzHashSetValue(&pHash, "key", "value") < 0) return 4;
    if (strcmp(SzVLIBSzHashGetValue(pHash, "key"), "value") != 0) return 5;
    VLIBSzHashFree(pHash);

    VLIBErrSet(ERR_NOT_FOUND, "consumer.c", __LINE__);
    if (VLIBErrGet() != 0x2000) return 6;
    printf("consumer ok\n");
    return 0;
}
