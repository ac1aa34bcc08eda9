// Hex text of hash output, shared by the hash tests.
#pragma once

#include <stdio.h>

#include <string>

inline std::string Hex(const unsigned char *p, size_t n) {
    std::string s;
    char sz[3];
    for (size_t i = 0; i < n; ++i) {
        snprintf(sz, sizeof(sz), "%02X", p[i]);
        s += sz;
    }
    return s;
}
