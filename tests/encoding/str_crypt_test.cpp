#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "encoding/str_crypt_tables.h"
#include "vorltest.h"

#include <vorl/encoding.h>
#include <vorl/err.h>

namespace {

std::string Crypt(const std::string &in) {
    std::vector<char> out(in.size() + 1, 'X');
    EXPECT_EQ(VORLStrCrypt(in.c_str(), out.data(), static_cast<int>(out.size())), 0);
    return std::string(out.data(), in.size());
}

std::string Decrypt(const std::string &scrambled) {
    std::string out(scrambled.size(), '\0');
    vorl::encoding::StrDecrypt(reinterpret_cast<const uint8_t *>(scrambled.data()),
                               scrambled.size(), reinterpret_cast<uint8_t *>(out.data()));
    return out;
}

}  // namespace

TEST(StrCrypt, TheInverseGivesTheTextBack) {
    std::string all;
    for (int c = 1; c < 256; ++c)
        all += static_cast<char>(c);
    // Longer than 256 bytes moves the slow rotor; 70000 wraps it too.
    std::string wraps;
    for (int i = 0; i < 70000; ++i)
        wraps += static_cast<char>('a' + i % 26);
    for (const std::string &text : {std::string("secret"), std::string("a"), all, wraps}) {
        SCOPED_TRACE(text.size());
        std::string s = Crypt(text);
        EXPECT_NE(s, text);
        EXPECT_EQ(Decrypt(s), text);
    }
}

TEST(StrCrypt, RotorsMoveWithThePosition) {
    // The same byte scrambles differently at different positions, and the
    // slow rotor makes byte 256 differ from byte 0.
    std::string s = Crypt(std::string(513, 'a'));
    EXPECT_NE(s[0], s[1]);
    EXPECT_NE(s.substr(0, 256), s.substr(256, 256));
}

TEST(StrCrypt, OutputIsStableAndZeroedOverItsSize) {
    // The scrambled form is stored: it must not change between builds.
    char out[16];
    memset(out, 'X', sizeof(out));
    ASSERT_EQ(VORLStrCrypt("secret", out, sizeof(out)), 0);
    const unsigned char want[] = {0x50, 0xf2, 0x03, 0x90, 0x9e, 0x39};
    EXPECT_EQ(memcmp(out, want, 6), 0);
    for (size_t i = 6; i < sizeof(out); ++i)
        EXPECT_EQ(out[i], 0) << i;

    ASSERT_EQ(VORLStrCrypt("", out, 1), 0);
    EXPECT_EQ(out[0], 0);
}

TEST(StrCrypt, RefusesAndLogsBadArguments) {
    vorltest::SyslogCapture log;
    char out[6];
    EXPECT_EQ(VORLStrCrypt("secret", out, 6), -1);  // no room beyond the text
    EXPECT_TRUE(log.Contains("str_crypt.c VORLStrCrypt("));
    EXPECT_TRUE(log.Contains("): iLen is not enough!!"));
    EXPECT_EQ(VORLStrCrypt(nullptr, out, 6), -1);
    EXPECT_EQ(VORLStrCrypt("x", nullptr, 6), -1);
    EXPECT_TRUE(log.Contains("): wrong parameters"));
}
