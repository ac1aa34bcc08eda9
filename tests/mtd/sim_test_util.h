// Helpers of the tests that run on the simulated appliance kernel.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "flashimage.h"

namespace simtest {

// Runs a program (argument vector, no shell) and answers its exit status, or
// -1 when it did not exit normally.
inline int RunProgram(const std::vector<std::string> &args) {
    std::vector<char *> argv;
    for (const std::string &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

inline void Install(const vorlsim::SimKernel &k) {
    std::string error;
    ASSERT_TRUE(vorlsim::InstallKernel("", k, &error)) << error;
}

inline vorlsim::FlashSnapshot Snapshot() {
    vorlsim::FlashSnapshot s;
    std::string error;
    EXPECT_TRUE(vorlsim::ReadFlash("", &s, &error)) << error;
    return s;
}

inline void SetConf(const std::string &key, const std::string &value) {
    std::string error;
    ASSERT_TRUE(vorlsim::SetKernelConf("", key, value, &error)) << error;
}

// The bytes a device shows after an image of n bytes was written to its
// start: the image, then erased flash.
inline std::string Written(const std::string &image, uint64_t size) {
    std::string s = image;
    s.resize(size, '\xFF');
    return s;
}

}  // namespace simtest
