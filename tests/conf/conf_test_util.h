// Helpers shared by the configuration-file tests: child processes that take
// locks, and running an operation under an injected fault.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace conftest {

// Runs body in a forked child and waits for it: the child's exit status
// (body's result), or -1 when it did not exit normally.
int RunInChild(const std::function<int()> &body);

// In a forked child that first drops the parent's lock descriptors: the
// result of ErrVLIBFileLock(request, timeout), encoded as 0 on success and
// otherwise the library error code >> 8 (ERR_LOCK_FAILED gives 4).
int ChildTryLock(unsigned request, int timeout);

// A child process that holds a lock until told to let go.
class LockHolder {
public:
    // Forks a child that takes `request` and reports back; false when it
    // could not take it.
    bool Start(unsigned request);
    // Tells the child to release the lock after delayMs and exit; waits for it.
    void Release(int delayMs = 0);
    // Lets the child release later on its own, without waiting for it.
    void ReleaseLater(int delayMs);
    void Wait();
    ~LockHolder();

private:
    pid_t pid_ = -1;
    int toChild_ = -1;
};

// Seconds since an arbitrary start, monotonic.
double Now();

// The outcome of one operation run by the fault helper.
struct FaultOutcome {
    int status = -1;   // the helper's exit status (0 when it ran the operation)
    int result = 0;    // the operation's result
    unsigned err = 0;  // the library error code after it
    std::string output;
};

// Runs the fault helper with `args` in a child whose LD_PRELOAD chains the
// libfiu preload libraries (after the sanitizer runtime, when the test
// binary has one) and whose FIU_ENABLE fails each point of `points` with
// errno `err`. No points: the helper runs without fault injection.
FaultOutcome RunWithFault(const std::vector<std::string> &points, int err,
                          const std::vector<std::string> &args);

}  // namespace conftest
