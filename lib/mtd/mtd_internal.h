// Helpers of the MTD device operations.
#pragma once

#include <stdint.h>

namespace vorl::mtd {

// The two fields of mtd_info_user the operations use.
struct DeviceGeometry {
    uint32_t size;
    uint32_t erasesize;
};

// Reads the geometry of an open device with MEMGETINFO; false with errno set.
bool GetGeometry(int fd, DeviceGeometry *geometry);

// Issues a request with a (start, length) argument over the whole partition.
int WholeRange(int fd, unsigned long request, uint32_t size);

}  // namespace vorl::mtd
