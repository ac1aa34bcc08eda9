// The built-in flash layouts of the two hardware variants: the patch plan rows
// (partition and image file) and the partition-to-device map. The driver copies
// one of them into gPatchInfo and gPartitionDevice at start.
#include <string.h>

#include "updater.h"

namespace {

struct Row {
    const char *name;
    const char *file;
    const char *device;        // other variant
    const char *juniorDevice;  // junior variant; NULL: absent there
};

const Row kRows[] = {
    {"RedBoot", "RedBoot.msys", "/dev/mtd0", "/dev/mtd0"},
    {"zImage", "zImage", "/dev/mtd1", "/dev/mtd1"},
    {"rd.gz", "rd.bin", "/dev/mtd2", "/dev/mtd2"},
    {"AllLib.tgz", "AllLib.tgz", "/dev/mtd3", nullptr},
    {"vendor", "vendor", "/dev/mtd4", "/dev/mtd3"},
    {"vorlcfg", "vorlcfg", "/dev/mtd5", nullptr},
    {"RedBoot Config", "RedBoot Config", "/dev/mtd6", "/dev/mtd4"},
    {"FIS Directory", "FIS Directory", "/dev/mtd7", "/dev/mtd5"},
};

}  // namespace

void UPDTInitLayoutTables(int fJunior) {
    memset(gPatchInfo, 0, sizeof(gPatchInfo));
    memset(gPartitionDevice, 0, sizeof(gPartitionDevice));
    int n = 0;
    for (const Row &row : kRows) {
        const char *device = fJunior ? row.juniorDevice : row.device;
        if (!device) continue;
        gPatchInfo[n].name = row.name;
        gPatchInfo[n].file = row.file;
        gPartitionDevice[n].name = row.name;
        gPartitionDevice[n].device = device;
        ++n;
    }
    gnPatchInfo = n;
}
