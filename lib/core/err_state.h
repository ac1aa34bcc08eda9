// The process-wide state behind the library error code.
#pragma once

namespace vorl {

struct ErrState {
    static constexpr int kMaxFrames = 64;
    unsigned int code = 0;
    const char *file = nullptr;
    int line = 0;
    void *frames[kMaxFrames] = {};
    int nFrames = 0;
    char **symbols = nullptr;  // one heap block from backtrace_symbols()
};

ErrState &GetErrState();

}  // namespace vorl
