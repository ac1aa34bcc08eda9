// Helpers shared by the flash update's operations.
#pragma once

#include <stdint.h>

#include <string>

#include <vorl/mtd.h>

#include "core/raii.h"

#include "updater.h"

namespace updt {

inline constexpr int kAttempts = 3;
inline constexpr int kCopyBlock = 16384;
inline constexpr int kVerifyBlock = 8192;
inline constexpr uint32_t kMsysBlockSize = 16384;
inline constexpr uint32_t kMsysUnits = 967;
inline constexpr int kMsysPartitions = 8;

// "<update directory>/<file>"
std::string ImagePath(const char *szFile);
// "<update directory>/b@ckup"
std::string BackupDir();
// "<update directory>/b@ckup/mtd_<name>"
std::string BackupPath(const char *szName);
bool FileExists(const std::string &path);
// The entry's name as a string (the field need not be NUL-terminated).
std::string EntryName(const VORL_FIS_ENTRY &e);
// The record of the "set FIS entry" request.
VORL_MTD_FIS_RECORD FisRecord(const char *szName, uint32_t start, uint32_t size, uint32_t datalen);

// Plans one row against its flash entry: the image's length (or, where the
// package leaves the image out, the entry's data length and no update), the
// erase blocks it takes and the blocks the partition has to spare. Logs the row
// as "PATCHINFO: <szPart>[...]"; a missing image is logged as szFunc at nLine.
// The erase blocks the row takes.
int64_t PlanPatchRow(PATCHINFO &row, const VORL_FIS_ENTRY &e, const char *szPart,
                     const char *szFunc, int nLine);

// The two ends and the buffers of a copy to, or a compare with, a device.
struct Transfer {
    vorl::UniqueFd file;
    vorl::UniqueFd device;
    vorl::MallocPtr<char> buffer[2];
};
// Checks the parameters, opens szPath for reading and szDevice with
// flDevice, and allocates nBuffers (1 or 2) buffers of cbBlock bytes. Each
// failure is logged as szFunc at nLine and gives false.
bool OpenTransfer(Transfer &t, const char *szPath, const char *szDevice, uint64_t cbLength,
                  int cbBlock, int flDevice, int nBuffers, const char *szFunc, int nLine);

// The write and verify loop's progress: stage P runs from 60 to 100 over the
// bytes to process; a value is written only when it changes.
void ProgressReset(uint64_t total);
void ProgressSet(uint64_t processed);
void ProgressAdd(uint64_t bytes);

}  // namespace updt
