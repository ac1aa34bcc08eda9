#include <stdio.h>

#include "core/err_internal.h"
#include "core/err_state.h"
#include "core/raii.h"

extern "C" void VLIBErrBacktracePrint(void) {
    const vorl::ErrState &st = vorl::GetErrState();
    if (!st.symbols) return;
    vorl::UniqueFile console(fopen("/dev/console", "we"));
    for (int i = 0; i < st.nFrames; ++i) {
        if (console) fprintf(console.get(), "%s\n", st.symbols[i]);
        syslog(LOG_ERR, "%s", st.symbols[i]);
    }
}

extern "C" void VLIBErrBacktracePuts(void) {
    const vorl::ErrState &st = vorl::GetErrState();
    if (!st.symbols) return;
    for (int i = 0; i < st.nFrames; ++i)
        puts(st.symbols[i]);
}
