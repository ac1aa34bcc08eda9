/* SzHash: a string-to-string hash table held in one heap block.
 *
 * Block layout: area size, area free, slot count, key count, next free byte,
 * then slot count pairs (key, value), then the string area. References are
 * byte offsets from the start of the block; 0 means none. */
#ifndef VORL_SZ_HASH_H
#define VORL_SZ_HASH_H

#include <stdint.h>
#include <stdio.h>
#include <vorl/defs.h>
#include <vorl/sz_list.h>

#define SZHASH_DEFAULT_SLOTS 31
#define SZHASH_HEADER_SIZE 20

typedef struct SzHashSlot {
    uint32_t offKey;   /* 0: no key (empty or deleted slot) */
    uint32_t offValue; /* set with no key: deleted slot */
} SzHashSlot;

typedef struct SzHash {
    int32_t cbArea;       /* bytes of the string area */
    int32_t cbAreaFree;   /* bytes of the string area not yet used */
    int32_t nSlot;        /* number of slots */
    int32_t nKey;         /* number of live keys */
    uint32_t offNextFree; /* where the next string goes */
    SzHashSlot rgSlot[];
} SzHash;

VORL_BEGIN_DECLS

VORL_API SzHash *PshVLIBSzHashAlloc(int cbSize);
VORL_API SzHash *PshVLIBSzHashAllocator(int nSlot, int cbArea);
VORL_API void VLIBSzHashFree(SzHash *pHash);
VORL_API const char *SzVLIBSzHashGetValue(const SzHash *pHash, const char *szKey);
VORL_API int VLIBSzHashSetValue(SzHash **ppHash, const char *szKey, const char *szValue);
VORL_API const char *SzVLIBSzHashRemoveKey(SzHash *pHash, const char *szKey);
VORL_API int VLIBSzHashEnumKey(const SzHash *pHash, SzList **ppList);
VORL_API void VLIBSzHashClear(SzHash *pHash);
VORL_API int VLIBFileHash2File(FILE *fp, const char *szSection, const SzHash *pHash,
                               const char *szFormat);

VORL_END_DECLS

#endif /* VORL_SZ_HASH_H */
