/* MTD flash devices and the FIS directory. */
#ifndef VORL_MTD_H
#define VORL_MTD_H

#include <stdint.h>
#include <vorl/defs.h>

#define VORL_FIS_ENTRY_SIZE 256
#define VORL_FIS_NAME_SIZE 16

/* One 256-byte entry of the FIS directory, little-endian on flash. */
typedef struct VORL_FIS_ENTRY {
    char szName[VORL_FIS_NAME_SIZE]; /* NUL-padded */
    uint32_t ulFlashBase;
    uint32_t ulMemBase;
    uint32_t ulLength;     /* bytes of the partition in flash */
    uint32_t ulEntryPoint;
    uint32_t ulDataLength; /* bytes of image data in the partition */
    uint8_t rgbReserved[212];
    uint32_t ulDescChecksum;
    uint32_t ulFileChecksum;
} VORL_FIS_ENTRY;

VORL_BEGIN_DECLS

VORL_END_DECLS

#endif /* VORL_MTD_H */
