// The rotor tables of VORLStrCrypt and the inverse mapping.
#pragma once

#include <stddef.h>
#include <stdint.h>

namespace vorl::encoding {

struct StrCryptTables {
    uint8_t t1[256], t2[256], t3[256];
    uint8_t inv1[256], inv2[256], inv3[256];  // inverse permutations
};

// The tables, prepared on first use. They are part of the stored format of
// scrambled secrets: never change how they are made.
const StrCryptTables &GetStrCryptTables();

// Byte i of a text, scrambled and back; f and s are the fast and slow rotor
// positions (i mod 256, i / 256 mod 256).
inline uint8_t StrCryptByte(const StrCryptTables &t, uint8_t in, uint8_t f, uint8_t s) {
    uint8_t a = t.t1[static_cast<uint8_t>(in + f)];
    uint8_t b = t.t2[static_cast<uint8_t>(a + s)];
    return static_cast<uint8_t>(t.t3[static_cast<uint8_t>(b - s)] - f);
}
inline uint8_t StrDecryptByte(const StrCryptTables &t, uint8_t out, uint8_t f, uint8_t s) {
    uint8_t b = t.inv3[static_cast<uint8_t>(out + f)];
    uint8_t a = t.inv2[static_cast<uint8_t>(b + s)];
    return static_cast<uint8_t>(t.inv1[static_cast<uint8_t>(a - s)] - f);
}

// Undoes VORLStrCrypt over cb bytes.
void StrDecrypt(const uint8_t *pIn, size_t cb, uint8_t *pOut);

}  // namespace vorl::encoding
