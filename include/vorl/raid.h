/* RAID status: the state of one md array, from the md driver and sysfs. */
#ifndef VORL_RAID_H
#define VORL_RAID_H

#include <stdint.h>
#include <vorl/defs.h>

/* Error codes raised only by this module. */
#define ERR_RAID_NO_ARRAY 0x0600   /* the md driver does not know the array (ENODEV) */
#define ERR_RAID_KERNEL 0x8000     /* a kernel request or the sysfs glob failed */
#define ERR_RAID_DISK_ENTRY 0x9900 /* a member entry without "dev-" */
#define ERR_RAID_BAD_PATH 0xBE00   /* a path that is not /dev/md followed by a number */

/* raidType */
#define RAID_TYPE_UNSUPPORTED 0
#define RAID_TYPE_RAID0 1
#define RAID_TYPE_RAID1 2
#define RAID_TYPE_RAID5 3
#define RAID_TYPE_RAID6 4
#define RAID_TYPE_LINEAR 5

/* VORLRAIDINFO.status */
#define RAID_STATUS_NORMAL 1
#define RAID_STATUS_DEGRADED 2
#define RAID_STATUS_CRASHED 3

/* VORLRAIDDISK.status */
#define RAID_DISK_IN_SYNC 0
#define RAID_DISK_FAULTY 1
#define RAID_DISK_ERROR 2
#define RAID_DISK_SPARE_REBUILDING 3
#define RAID_DISK_SPARE_IDLE 4

/* Kernel requests on the array device. */
#define RAID_IOCTL_GET_ARRAY_INFO 0x80480911u
#define RAID_IOCTL_BLKGETSIZE64 0x80041272u
#define RAID_IOCTL_REBUILD_STATUS 0x800C0960u

/* One member disk; a list linked through pNext. */
typedef struct VORLRAIDDISK {
    char szPath[128]; /* "/dev/sda1" */
    int32_t status;   /* RAID_DISK_* */
    struct VORLRAIDDISK *pNext;
} VORLRAIDDISK;

typedef struct VORLRAIDINFO {
    int32_t nMdNumber;
    int32_t nFirstDisk; /* index of the first member disk ('a' = 0), or -1 */
    char szPath[128];
    int32_t raidType;   /* RAID_TYPE_* */
    int32_t status;     /* RAID_STATUS_* */
    int32_t rebuild[3]; /* state (0 none, 1 running, 2 pending) and two progress numbers */
    uint64_t ullSize;   /* bytes, from the block-device size request */
    uint64_t ullMdSize; /* bytes, the md driver's size (KiB) x 1024 */
    int32_t nRaidDisks;
    VORLRAIDDISK *pDisks;
} VORLRAIDINFO;

VORL_BEGIN_DECLS

/* 1 with a new record in *ppInfo; 0 when the array does not exist
 * (ERR_RAID_NO_ARRAY); -1 on any other failure. */
VORL_API int VORLRaidInfoGet(const char *szPath, VORLRAIDINFO **ppInfo);
/* Releases the record and its member list; NULL is fine. */
VORL_API void VORLRaidInfoFree(VORLRAIDINFO *pInfo);
/* The members of /dev/mdN from /sys/block/mdN/md/dev-*, pushed in front of
 * *ppList; 0 or -1 (the records made are released on failure). */
VORL_API int VORLRaidDiskListGet(const char *szPath, VORLRAIDDISK **ppList);
/* One member from its sysfs entry directory; 0 or -1. */
VORL_API int VORLRaidDiskCreate(const char *szEntry, VORLRAIDDISK **ppDisk);

VORL_END_DECLS

#endif /* VORL_RAID_H */
