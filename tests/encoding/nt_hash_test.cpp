#include <gtest/gtest.h>
#include <nettle/md4.h>

#include <string>
#include <vector>

#include "hex.h"
#include "vorltest.h"

#include <vorl/encoding.h>
#include <vorl/err.h>

namespace {

std::string NT(const std::string &pw) {
    unsigned char out[16];
    if (VLIBSmbNTHash(pw.c_str(), out, sizeof(out)) != 0) return "fail";
    return Hex(out, 16);
}

// MD4 over UTF-16LE code units, as the expected value of the NT hash.
std::string Md4Units(const std::vector<uint16_t> &units) {
    std::vector<uint8_t> bytes;
    for (uint16_t u : units) {
        bytes.push_back(static_cast<uint8_t>(u));
        bytes.push_back(static_cast<uint8_t>(u >> 8));
    }
    md4_ctx ctx;
    md4_init(&ctx);
    md4_update(&ctx, bytes.size(), bytes.data());
    unsigned char out[16];
    md4_digest(&ctx, 16, out);
    return Hex(out, 16);
}

}  // namespace

TEST(NtHash, KnownVectors) {
    EXPECT_EQ(NT("password"), "8846F7EAEE8FB117AD06BDD830B7586C");
    EXPECT_EQ(NT(""), "31D6CFE0D16AE931B73C59D7E0C089C0");
}

TEST(NtHash, DecodesOneTwoAndThreeByteCharacters) {
    // a, e acute (2 bytes), euro sign (3 bytes), CJK (3 bytes)
    EXPECT_EQ(NT("a\xC3\xA9\xE2\x82\xAC\xE4\xB8\xAD"), Md4Units({'a', 0xE9, 0x20AC, 0x4E2D}));
    // Case is kept: the NT hash is case-sensitive.
    EXPECT_NE(NT("Password"), NT("password"));
}

TEST(NtHash, UsesAllOfATwentyCharacterPasswordButAtMost127Units) {
    std::string twenty = "abcdefghijklmnopqrst";
    EXPECT_NE(NT(twenty), NT(twenty.substr(0, 14)));
    EXPECT_EQ(NT(twenty), Md4Units(std::vector<uint16_t>(twenty.begin(), twenty.end())));

    EXPECT_EQ(NT(std::string(200, 'x')), NT(std::string(127, 'x')));
    EXPECT_NE(NT(std::string(127, 'x')), NT(std::string(126, 'x')));
    // The cut counts units, not bytes.
    std::string euros;
    for (int i = 0; i < 130; ++i)
        euros += "\xE2\x82\xAC";
    EXPECT_EQ(NT(euros), Md4Units(std::vector<uint16_t>(127, 0x20AC)));
}

TEST(NtHash, StopsAtABadSequenceAndLogsWithoutThePassword) {
    struct {
        const char *what;
        std::string pw;
        std::string before;  // the part that is hashed
    } table[] = {
        {"outside the BMP",
         "ab\xF0\x9F\x98\x80"
         "cd",
         "ab"},
        {"lone continuation byte",
         "ab\x80"
         "cd",
         "ab"},
        {"two-byte lead at the end", "abc\xC3", "abc"},
        {"two-byte lead before ASCII",
         "a\xC3"
         "b",
         "a"},
        {"three-byte with one continuation",
         "\xE2\x82"
         "x",
         ""},
        {"invalid lead byte", "pass\xFF", "pass"},
    };
    for (auto &row : table) {
        SCOPED_TRACE(row.what);
        vorltest::SyslogCapture log;
        EXPECT_EQ(NT(row.pw), NT(row.before));
        std::string want = "Bad UTF-8 character after [" + std::to_string(row.before.size()) +
                           "]-th character of string:";
        EXPECT_TRUE(log.Contains("smb_nt_hash.c:"));
        EXPECT_TRUE(log.Contains(want));
        for (auto &line : log.Lines())
            EXPECT_EQ(line.find(row.pw), std::string::npos) << line;
    }
}

TEST(NtHash, RefusesBadArguments) {
    unsigned char out[16] = {};
    unsigned char small[15];
    EXPECT_EQ(VLIBSmbNTHash("password", small, sizeof(small)), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BUFFER_TOO_SMALL));
    EXPECT_EQ(VLIBSmbNTHash(nullptr, out, 16), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS));
    EXPECT_EQ(VLIBSmbNTHash("x", nullptr, 16), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS));
}
