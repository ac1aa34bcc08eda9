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
    uint32_t ulLength; /* bytes of the partition in flash */
    uint32_t ulEntryPoint;
    uint32_t ulDataLength; /* bytes of image data in the partition */
    uint8_t rgbReserved[212];
    uint32_t ulDescChecksum;
    uint32_t ulFileChecksum;
} VORL_FIS_ENTRY;

/* Requests on an open /dev/mtdN (request type letter 'M'). The vendor
 * requests exist only in the appliance's flash drivers. */
#define VORL_MTD_MEMGETINFO 0x80204D01u         /* struct mtd_info_user (32 bytes) */
#define VORL_MTD_MEMERASE 0x40084D02u           /* start, length */
#define VORL_MTD_MEMLOCK 0x40084D05u            /* start, length */
#define VORL_MTD_MEMUNLOCK 0x40084D06u          /* start, length */
#define VORL_MTD_SET_PARTITION_SIZE 0x40084D16u /* nr 22: flash base, length */
#define VORL_MTD_SET_FIS_ENTRY 0x401C4D17u      /* nr 23: VORL_MTD_FIS_RECORD */
/* The msys layout's requests, all on /dev/mtd0. */
#define VORL_MTD_MSYS_FORMAT 0x40044D18u    /* nr 24: the number of units, by value */
#define VORL_MTD_MSYS_PARTITION 0x40044D19u /* nr 25: address of 8 block counts */
#define VORL_MTD_MSYS_GET_PARTITIONS \
    0x80044D1Au /* nr 26: address of 8 (length, data length) pairs */

#define VORL_MTD_INFO_SIZE 32

/* The argument of the "set FIS entry" request (28 bytes). */
typedef struct VORL_MTD_FIS_RECORD {
    char szName[VORL_FIS_NAME_SIZE]; /* NUL-terminated, NUL-padded */
    uint32_t ulFlashBase;
    uint32_t ulLength;
    uint32_t ulDataLength;
} VORL_MTD_FIS_RECORD;

VORL_BEGIN_DECLS

/* Each operation opens the device, does one job and closes it; 0 on success,
 * -1 on failure (logged to the system log, library error code set). */

/* Fills the buffer (at least 32 bytes) with the device's mtd_info_user. */
VORL_API int VORLMTDGetDeviceInfo(const char *szDevice, void *pBuffer, int cbBuffer);
/* Erases the whole partition. */
VORL_API int VORLMTDErasePartition(const char *szDevice);
/* Locks (fLock 1) or unlocks (otherwise) the whole partition. */
VORL_API int VORLMTDILock(const char *szDevice, int fLock);
VORL_API int VORLMTDLockPartition(const char *szDevice);
VORL_API int VORLMTDUnlockPartition(const char *szDevice);
/* Reads the FIS directory: answers the number of entries and stores the bytes
 * they take (entries x 256) in *pcbEntries. With pBuffer NULL it only counts;
 * otherwise it copies the entries into pBuffer (cbBuffer bytes). */
VORL_API int VORLMTDGetPartitionInfo(const char *szDevice, void *pBuffer, int cbBuffer,
                                     int *pcbEntries);
/* Vendor request nr 22: tells the driver a partition's new flash base and length. */
VORL_API int VORLMTDModifyPartitionSize(const char *szDevice, uint32_t ulFirst, uint32_t ulSecond);
/* Vendor request nr 23: tells the driver a FIS entry's new values. */
VORL_API int VORLMTDModifyFISEntry(const char *szDevice, const VORL_MTD_FIS_RECORD *pRecord);

VORL_END_DECLS

#endif /* VORL_MTD_H */
