#include "encoding/str_crypt_tables.h"

namespace vorl::encoding {

namespace {

// splitmix64: a small fixed generator, so the tables are the same on every
// build and machine.
uint64_t Next(uint64_t &state) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// A permutation of 0..255 (Fisher-Yates) and its inverse.
void MakePermutation(uint64_t &state, uint8_t *perm, uint8_t *inv) {
    for (int i = 0; i < 256; ++i)
        perm[i] = static_cast<uint8_t>(i);
    for (int i = 255; i > 0; --i) {
        int j = static_cast<int>(Next(state) % static_cast<uint64_t>(i + 1));
        uint8_t tmp = perm[i];
        perm[i] = perm[j];
        perm[j] = tmp;
    }
    for (int i = 0; i < 256; ++i)
        inv[perm[i]] = static_cast<uint8_t>(i);
}

StrCryptTables Prepare() {
    StrCryptTables t{};
    uint64_t state = 0x564F524C43525950ull;  // fixed seed
    MakePermutation(state, t.t1, t.inv1);
    MakePermutation(state, t.t2, t.inv2);
    MakePermutation(state, t.t3, t.inv3);
    return t;
}

}  // namespace

const StrCryptTables &GetStrCryptTables() {
    static const StrCryptTables tables = Prepare();
    return tables;
}

void StrDecrypt(const uint8_t *pIn, size_t cb, uint8_t *pOut) {
    const StrCryptTables &t = GetStrCryptTables();
    for (size_t i = 0; i < cb; ++i)
        pOut[i] = StrDecryptByte(t, pIn[i], static_cast<uint8_t>(i), static_cast<uint8_t>(i >> 8));
}

}  // namespace vorl::encoding
