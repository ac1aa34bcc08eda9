/* SzList: a growable list of strings held in one heap block.
 *
 * Block layout (all fields 32-bit, little-endian on the appliance):
 *   size, count, free, sort mode, string area start, end byte, entries[count]
 * References are stored as byte offsets from the start of the block, so a
 * block is position independent and its packed form is the block itself.
 * Strings are stored from the end of the block downwards; an entry that
 * refers to the end byte (always 0) is a hole and reads as "". */
#ifndef VORL_SZ_LIST_H
#define VORL_SZ_LIST_H

#include <stdint.h>
#include <vorl/defs.h>

#define SZLIST_SORT_NONE 0
#define SZLIST_SORT_BYTE 0x1
#define SZLIST_SORT_CASE 0x10
#define SZLIST_MIN_SIZE 512
#define SZLIST_HEADER_SIZE 24
/* PslVLIBSzListOr: build the union in a new list, leave the destination alone. */
#define SZLIST_OR_NEW 0x1000

typedef struct SzList {
    int32_t cbSize;      /* total bytes of the block */
    int32_t nItem;       /* number of entries */
    int32_t cbFree;      /* unused bytes between the entry array and the string area */
    int32_t fSort;       /* SZLIST_SORT_* */
    uint32_t offStrArea; /* lowest byte used by strings */
    uint32_t offEnd;     /* the last byte of the block, always 0 */
    uint32_t rgOffItem[];
} SzList;

struct VORLBDB;

VORL_BEGIN_DECLS

VORL_API SzList *PslVLIBSzListAlloc(int cbSize);
VORL_API void VLIBSzListFree(SzList *pList);
VORL_API const char *SzVLIBSzListGet(const SzList *pList, int index);
VORL_API int VLIBSzListInsert(SzList **ppList, int index, const char *sz);
VORL_API int VLIBSzListPush(SzList **ppList, const char *sz);
VORL_API int VLIBSzListUnshift(SzList **ppList, const char *sz);
VORL_API int VLIBSzListSet(SzList **ppList, int index, const char *sz);
VORL_API const char *SzVLIBSzListRemove(SzList *pList, int index);
VORL_API const char *SzVLIBSzListPop(SzList *pList);
VORL_API const char *SzVLIBSzListShift(SzList *pList);
VORL_API int VLIBSzListFind(const SzList *pList, const char *sz);
VORL_API int VLIBSzListCaseFind(const SzList *pList, const char *sz);
VORL_API int VLIBSzListSort(SzList *pList, int fMode);
VORL_API int VLIBSzListCompact(SzList *pList);
VORL_API int VLIBSzListClear(SzList *pList);
VORL_API SzList *PslVLIBSzListExpand(SzList *pList);
VORL_API SzList *PslVLIBSzListOr(SzList **ppDst, const SzList *pSrc, int flags);

/* Packed form for record stores: a new heap block of pList->cbSize bytes
 * (stored in *pcbPacked when that is not NULL); release it with free(). */
VORL_API void *VORLListDBPack(const SzList *pList, int *pcbPacked);
/* A usable list rebuilt from a packed record; release it with VLIBSzListFree. */
VORL_API SzList *VORLListDBUnpack(const void *pPacked, int cbPacked);
/* Stores the packed list under "#NAME" in a record store. 0 or -1. */
VORL_API int VORLListDBSet(struct VORLBDB *pDB, const char *szName, const SzList *pList);

VORL_END_DECLS

#endif /* VORL_SZ_LIST_H */
