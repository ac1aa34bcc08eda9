#include <errno.h>
#include <execinfo.h>
#include <stdlib.h>

#include "core/err_internal.h"
#include "core/err_state.h"

namespace vorl {

ErrState &GetErrState() {
    static ErrState state;
    return state;
}

}  // namespace vorl

extern "C" void VLIBErrBacktraceFree(void) {
    vorl::ErrState &st = vorl::GetErrState();
    free(st.symbols);
    st.symbols = nullptr;
}

extern "C" void VLIBErrSet(unsigned int code, const char *szFile, int line) {
    vorl::ErrState &st = vorl::GetErrState();
    st.code = code;
    st.file = szFile;
    st.line = line;
    VLIBErrBacktraceFree();
    int saved = errno;  // callers may still report errno after setting the code
    st.nFrames = backtrace(st.frames, vorl::ErrState::kMaxFrames);
    st.symbols = st.nFrames > 0 ? backtrace_symbols(st.frames, st.nFrames) : nullptr;
    errno = saved;
}

extern "C" void VLIBErrSetNoPos(unsigned int code) {
    VLIBErrSet(code, nullptr, 0);
}
