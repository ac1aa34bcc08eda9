// Helpers of the MTD device operations.
#pragma once

#include <stdint.h>

#include "core/raii.h"

namespace vorl::mtd {

// The two fields of mtd_info_user the operations use.
struct DeviceGeometry {
    uint32_t size;
    uint32_t erasesize;
};

// Reads the geometry of an open device with MEMGETINFO; false with errno set.
bool GetGeometry(int fd, DeviceGeometry *geometry);

// Where an operation reports from: its source file, function and line.
struct Caller {
    const char *src;
    const char *func;
    int line;
};
#define VORL_MTD_CALLER (vorl::mtd::Caller{VORL_SRC, __func__, __LINE__})

// Opens the device read-write for a change. With geometry, also reads its
// geometry. A failure is logged and the library error set (ERR_OPEN_FAILED,
// ERR_READ_FAILED) as the caller's; the descriptor is then not valid.
UniqueFd OpenForChange(const char *szDevice, DeviceGeometry *geometry, const Caller &caller);

// Issues a request with a (start, length) argument over the whole partition.
int WholeRange(int fd, unsigned long request, uint32_t size);

}  // namespace vorl::mtd
