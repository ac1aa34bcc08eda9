#include <gtest/gtest.h>

#include <string>

#include <vorl/encoding.h>
#include <vorl/err.h>

namespace {

std::string Enc(const std::string &data, int cb) {
    const char *sz = SzBase64EncodeOneLine(data.data(), cb);
    return sz ? sz : "<null>";
}

}  // namespace

TEST(Base64Encode, StandardAlphabetWithPadding) {
    struct {
        std::string data;
        std::string want;
    } table[] = {
        {"", ""},
        {"a", "YQ=="},
        {"ab", "YWI="},
        {"abc", "YWJj"},
        {"user:secret", "dXNlcjpzZWNyZXQ="},
        {"\xfb\xff\xbf", "+/+/"},
    };
    for (auto &row : table)
        EXPECT_EQ(Enc(row.data, static_cast<int>(row.data.size())), row.want) << row.data;
}

TEST(Base64Encode, StopsAtLengthOrAtTheFirstNul) {
    EXPECT_EQ(Enc("abcdef", 2), "YWI=");
    EXPECT_EQ(Enc(std::string("ab\0cd", 5), 5), "YWI=");
}

TEST(Base64Encode, ResultsThatDoNotFitTheBufferAreRefused) {
    // 1533 bytes give 2044 characters; 1534 would need 2048 plus the NUL.
    EXPECT_EQ(Enc(std::string(1533, 'x'), 1533).size(), 2044u);
    EXPECT_EQ(Enc(std::string(1534, 'x'), 1534), "<null>");
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BUFFER_TOO_SMALL));
    EXPECT_EQ(SzBase64EncodeOneLine(nullptr, 3), nullptr);
}

TEST(Base64Decode, ValidTextDecodes) {
    struct {
        std::string text;
        std::string want;
    } table[] = {
        {"", ""},
        {"YQ==", "a"},
        {"YWI=", "ab"},
        {"YWJj", "abc"},
        {"dXNlcjpzZWNyZXQ=", "user:secret"},
        {"+/+/", "\xfb\xff\xbf"},
    };
    for (auto &row : table) {
        SCOPED_TRACE(row.text);
        char buf[32] = {};
        int cb = sizeof(buf);
        EXPECT_EQ(UPDTBase64Decode(row.text.c_str(), static_cast<int>(row.text.size()), buf, &cb),
                  1);
        EXPECT_EQ(std::string(buf, static_cast<size_t>(cb)), row.want);
    }
}

TEST(Base64Decode, InvalidTextIsRefused) {
    for (std::string text : {"YQ", "YWI", "YQ=", "YQ===", "=", "Y===", "YQ==YQ==", "Y Q=", "YW\nI",
                             "a=bc", "YR==", "secr*t!!", "pass"}) {
        SCOPED_TRACE(text);
        char buf[32];
        int cb = sizeof(buf);
        int got = UPDTBase64Decode(text.c_str(), static_cast<int>(text.size()), buf, &cb);
        // "pass" is valid base64 (four letters); everything else is not.
        EXPECT_EQ(got, text == "pass" ? 1 : 0);
        if (!got) {
            EXPECT_EQ(cb, 0);
        }
    }
}

TEST(Base64Decode, WritesAtMostTheBufferSize) {
    char buf[8] = {};
    int cb = 2;
    EXPECT_EQ(UPDTBase64Decode("YWJj", 4, buf, &cb), 0);
    EXPECT_EQ(cb, 2);
    EXPECT_EQ(std::string(buf, 3), std::string("ab\0", 3));
    EXPECT_EQ(UPDTBase64Decode(nullptr, 4, buf, &cb), 0);
}

TEST(Base64, RoundTripOfBinaryData) {
    std::string data;
    for (int i = 1; i < 256; ++i)
        data += static_cast<char>(i);
    std::string text = SzBase64EncodeOneLine(data.data(), static_cast<int>(data.size()));
    std::string back(data.size(), '\0');
    int cb = static_cast<int>(back.size());
    ASSERT_EQ(UPDTBase64Decode(text.c_str(), static_cast<int>(text.size()), back.data(), &cb), 1);
    EXPECT_EQ(cb, static_cast<int>(data.size()));
    EXPECT_EQ(back, data);
}
