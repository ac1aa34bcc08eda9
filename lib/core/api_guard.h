// No C++ exception may cross the C interface: an operation that allocates
// through the standard library runs its body inside vorl::Guard, which turns
// an allocation failure into ERR_OUT_OF_MEMORY and the operation's failure value.
#pragma once

#include <exception>
#include <utility>

#include "core/err_internal.h"

namespace vorl {

template <typename R, typename F>
R Guard(R failure, F &&body) noexcept {
    try {
        return std::forward<F>(body)();
    } catch (...) {
        // Only allocation failures (bad_alloc, length_error) are thrown by what
        // the library uses; treat anything else the same way.
        VORL_ERR(ERR_OUT_OF_MEMORY);
        return failure;
    }
}

}  // namespace vorl
