// The one-line step of VLIBFileSetKeys.
#pragma once

#include <string>
#include <string_view>

#include <vorl/sz_hash.h>

#include "conf/file_rewrite.h"
#include "conf/line_format.h"

namespace vorl {

// Copies one line of the old file into the rewrite, or replaces it by the
// set hash's value of its key (the key then leaves the set hash), or drops it
// when the remove hash holds its key (the key then leaves the remove hash).
// Comment lines - first non-blank character '#' or ';' - blank lines and
// lines without a key are copied. Adds one to *pcChanged per replaced or
// dropped line. 0, or -1 with the error code set.
int VLIBILineKeyMoveHash2File(std::string_view line, FileRewrite &rw, SzHash *pSet, SzHash *pRemove,
                              const char *szFormat, int *pcChanged, std::string &scratch);

}  // namespace vorl
