// The simulated kernel's configuration file ("/sim/kernel.conf"): plain
// key="value" lines, '#' comments. sim/README.md documents the keys.
#pragma once

#include <stdint.h>

#include <map>
#include <string>
#include <vector>

#include "kernel_state.h"

namespace vorlsim {

inline constexpr const char *kDefaultConfPath = "/sim/kernel.conf";
inline constexpr const char *kConfEnv = "VORL_SIM_KERNEL_CONF";
inline constexpr const char *kDefaultStatePath = "/sim/kernel.state";
inline constexpr const char *kDefaultFlashPath = "/sim/flash.bin";
inline constexpr const char *kDefaultDevDir = "/sim/dev";
inline constexpr uint32_t kMsysBlockSize = 16384;

class KernelConf {
public:
    // Parses the text; unknown keys are kept (and ignored by the kernel).
    void Parse(const std::string &text);
    bool Has(const std::string &key) const { return values_.count(key) != 0; }
    std::string Get(const std::string &key, const std::string &def = "") const;
    // A number in C notation (decimal, 0x hex); def when absent or malformed.
    uint64_t GetNumber(const std::string &key, uint64_t def) const;
    const std::map<std::string, std::string> &values() const { return values_; }

private:
    std::map<std::string, std::string> values_;
};

// Parses a number in C notation; false when the text is not one.
bool ParseNumber(const std::string &text, uint64_t *value);
// Splits on any of the separator characters, dropping empty fields.
std::vector<std::string> SplitFields(const std::string &text, const char *separators);

// The state a fresh appliance starts in, from its configuration; false with a
// reason when the configuration does not describe a consistent flash.
bool InitialState(const KernelConf &conf, KernelState *state, std::string *error);

}  // namespace vorlsim
