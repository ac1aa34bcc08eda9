// The flash update: the patch plan of the RedBoot and msys layouts with the
// balancing of partition sizes, the backup of every partition, erase, write
// and verify with three attempts, the FIS entry updates, the roll-back, and
// the repair of the build-284 FIS directory.
#pragma once

#include <stdint.h>

#include <vorl/mtd.h>

#include "updater.h"

// Set when a roll-back could not restore every partition. The backup
// directory then holds the only good copy of the old partitions: whoever
// removes the backup directory keeps it while this is set.
extern int gblRollBackFailed;

// --- Layout and plan ---------------------------------------------------------

// The device of a partition (gPartitionDevice); NULL for an unknown name.
const char *SzUPDTGetDeviceByName(const char *szName);
// Index of the FIS entry with that exact name, or -1.
int GetIdxByName(const char *szName, const VORL_FIS_ENTRY *pEntries, int cEntries);
// Fills gPatchInfo from the FIS directory and the image files; 0 or -1.
int UPDTInitPatchInfo(const VORL_FIS_ENTRY *pEntries, int cEntries);
// Moves erase blocks from partitions with room to those whose image does not
// fit, and lays the partitions out again; 0 or -1.
int ErrUPDTAdjustPartitionSize(PATCHINFO *pRows, int cRows);
// 1 when one of the first cRows rows has a negative balance.
int UPDTHasNegativeBalance(const PATCHINFO *pRows, int cRows);
// 1 for the partitions that are never moved or resized.
int UPDTIsFixedPartition(const char *szName);
// After balancing: 0 when every planned partition lies inside the flash (the
// span of the FIS directory's entries), on erase-block boundaries, and
// overlaps no other partition; -1 (logged) otherwise.
int UPDTCheckPlanLayout(const PATCHINFO *pRows, int cRows, const VORL_FIS_ENTRY *pEntries,
                        int cEntries);
// The msys layout's partition list (8 entries, named after the plan rows); 8 or -1.
int UPDTMSysGetPartitionInfo(VORL_FIS_ENTRY *pEntries);
// The msys layout's plan; 0 or -1.
int UPDTMSysInitPatchInfo(const VORL_FIS_ENTRY *pEntries, int cEntries);
// Rewrites the FIS directory partition with the built-in directory; 0 or -1.
int RecoverFISDirTable_K7GPlus_V284(void);

// --- Patching ----------------------------------------------------------------

// Copies every partition to "b@ckup/mtd_<name>" in the update directory; 0 or -1.
int UPDTBackupOldPartition(const VORL_FIS_ENTRY *pEntries, int cEntries);
// Carries out the plan of gPatchInfo; 0 or -1.
int UPDTDoPatch(const VORL_FIS_ENTRY *pEntries, int cEntries);
// Writes / compares the first cbLength bytes of a file to / with a device,
// cbBlock bytes at a time; 0 or -1.
int UPDTCopyFile(const char *szPath, const char *szDevice, uint64_t cbLength, int cbBlock);
int UPDTVerifyFile(const char *szPath, const char *szDevice, uint64_t cbLength, int cbBlock);
// Restores every planned partition from the backup; 0 or -1 (gblRollBackFailed).
int UPDTRollBack(const VORL_FIS_ENTRY *pEntries, int cEntries);

// --- msys layout -------------------------------------------------------------

// The whole msys run (partition list, plan, backup, patch, configuration);
// answers a result code and keeps the current stage letter in *pStage.
int UPDTMSysUpdate(char *pStage);
int UPDTMSysDoPatch(const VORL_FIS_ENTRY *pEntries, int cEntries, int *pfReformatted);
int UPDTMSysRollBack(const VORL_FIS_ENTRY *pEntries, int cEntries, int fReformatted);
// Formats the msys flash and lays out the 8 partitions (block counts); 0 or -1.
int UPDTMSysFormat(const uint32_t *pBlocks, int cBlocks);
