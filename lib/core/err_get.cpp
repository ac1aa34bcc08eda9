#include "core/err_internal.h"
#include "core/err_state.h"

extern "C" unsigned int VLIBErrGet(void) {
    return vorl::GetErrState().code;
}
extern "C" const char *VLIBErrGetFile(void) {
    return vorl::GetErrState().file;
}
extern "C" int VLIBErrGetLine(void) {
    return vorl::GetErrState().line;
}
