// Module-private steps of the RAID status query.
#pragma once

#include <stdint.h>

#include <linux/raid/md_u.h>

#include <vorl/raid.h>

static_assert(sizeof(mdu_array_info_t) == 72, "md array information is 72 bytes");

// The md array information (GET_ARRAY_INFO). 0, or -1 with ERR_RAID_NO_ARRAY
// (ENODEV, not logged) or ERR_RAID_KERNEL (logged).
int RaidIoctlInfo(int fd, mdu_array_info_t *pInfo);
// The block-device size in bytes. 0, or -1 with ERR_RAID_NO_ARRAY or ERR_RAID_KERNEL.
int RaidIoctlSize(int fd, uint64_t *pullSize);
// Reports a failed md ioctl as the caller's (szSrc at nLine): ERR_RAID_NO_ARRAY
// for ENODEV (not logged), otherwise "Failed to ioctl for <szWhat>" logged and
// ERR_RAID_KERNEL. -1.
int RaidIoctlFailed(const char *szWhat, const char *szSrc, int nLine);
// The md number of a "/dev/mdN" path; otherwise logged and ERR_RAID_BAD_PATH
// set as the caller's (szSrc at nLine), and false.
bool RaidMdNumber(const char *szPath, int *pMd, const char *szSrc, int nLine);
// The rebuild state and progress into rebuild[3]. 0, or -1 as above.
int RaidRebuildStatusGet(int fd, int32_t rebuild[3]);
// The summary status (RAID_STATUS_*) from the md level, the number of member
// slots and the member list. 0, or -1 for a missing output.
int RaidDecideStatus(int level, int raidDisks, const VORLRAIDDISK *pList, int32_t *pStatus);
// Pushes a record in front of the list.
void RaidDiskListPush(VORLRAIDDISK **ppList, VORLRAIDDISK *pDisk);
// Releases every record of a list.
void RaidDiskListFree(VORLRAIDDISK *pList);
