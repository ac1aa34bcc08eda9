// The flash tests link the flash code with the run state and layout tables,
// and stand in for the driver's reporting, program runner and settings
// migration (flash_test_support.cpp), so they watch what the flash code asks.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include <vorl/mtd.h>

#include "flash.h"
#include "sim_test_util.h"

namespace flashtest {

// Progress values written through UPDTSetProgress, in order.
extern std::vector<std::pair<char, int>> gProgress;
// Lines appended to the update log.
extern std::vector<std::string> gUpdateLog;
// Commands run through UPDTExecute, as "argv0 argv1 ...".
extern std::vector<std::string> gCommands;
// What UPDTUpdateConfig answers.
extern int gConfigResult;

inline constexpr const char *kUpdateDir = "/volume1/upd@te";

// The full variant with every partition partly used (kernel 16 of 32
// blocks, ramdisk 24 of 48, libraries 16 of 40) and the junior variant.
vorlsim::SimKernel FullKernel();
vorlsim::SimKernel JuniorKernel();

// Resets the run state for a variant and makes an empty update directory.
void ResetRun(bool junior);
// Writes an image file into the update directory.
void WriteImage(const std::string &file, const std::string &bytes);
// The FIS directory as the driver reads it.
std::vector<VORL_FIS_ENTRY> ReadEntries();
// The plan row of a partition.
PATCHINFO &Row(const std::string &name);

}  // namespace flashtest
