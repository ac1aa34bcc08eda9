#include <gtest/gtest.h>

#include <string>

#include "hex.h"
#include "vorltest.h"

#include <vorl/encoding.h>
#include <vorl/err.h>

namespace {

std::string LM(const std::string &pw) {
    unsigned char out[16];
    if (VLIBSmbLMHash(pw.c_str(), out, sizeof(out)) != 0) return "fail";
    return Hex(out, 16);
}

class LmHash : public testing::Test {
protected:
    void SetUp() override { vorltest::WriteFile("/etc/vorlinfo.conf", "codepage=\"enu\"\n"); }
};

}  // namespace

TEST_F(LmHash, KnownVectors) {
    EXPECT_EQ(LM("password"), "E52CAC67419A9A224A3B108F3FA6CB6D");
    EXPECT_EQ(LM("PassWord"), "E52CAC67419A9A224A3B108F3FA6CB6D");
    EXPECT_EQ(LM(""), "AAD3B435B51404EEAAD3B435B51404EE");
}

TEST_F(LmHash, UsesTheFirstFourteenUpperCasedCharacters) {
    std::string twenty = "abcdefghijklmnopqrst";
    EXPECT_EQ(LM(twenty), LM("ABCDEFGHIJKLMN"));
    EXPECT_NE(LM(twenty), LM("ABCDEFGHIJKLM"));
    // Each 7-byte half is its own DES key: equal halves give equal outputs.
    std::string h = LM("abcdefgabcdefg");
    EXPECT_EQ(h.substr(0, 16), h.substr(16));
    // Non-ASCII letters are upper-cased too.
    EXPECT_EQ(LM("\xC3\xA4pfel"), LM("\xC3\x84PFEL"));
}

TEST_F(LmHash, HashesTheDosCodePageForm) {
    // A-umlaut is one byte in the DOS code page of "enu", two in UTF-8.
    std::string dos = LM("\xC3\xA4");
    vorltest::WriteFile("/etc/vorlinfo.conf", "codepage=\"utf8\"\n");
    std::string utf8 = LM("\xC3\xA4");
    EXPECT_NE(dos, "fail");
    EXPECT_NE(utf8, "fail");
    EXPECT_NE(dos, utf8);
    EXPECT_EQ(LM("password"), "E52CAC67419A9A224A3B108F3FA6CB6D");
}

TEST_F(LmHash, NeedsTheCodePageSetting) {
    vorltest::WriteFile("/etc/vorlinfo.conf", "language=\"enu\"\n");
    EXPECT_EQ(LM("password"), "fail");
}

TEST_F(LmHash, RefusesBadArguments) {
    unsigned char small[15];
    EXPECT_EQ(VLIBSmbLMHash("password", small, sizeof(small)), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BUFFER_TOO_SMALL));
    EXPECT_EQ(VLIBSmbLMHash(nullptr, small, 16), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS));
    // A password whose upper-cased text does not fit the working buffer.
    EXPECT_EQ(LM(std::string(200, 'a')), "fail");
}
