#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "vorltest.h"

#include <vorl/err.h>
#include <vorl/unicode.h>

namespace {

constexpr unsigned kErrConvert = 0x8000;

std::string Upper(const char *sz) {
    char buf[256];
    int n = VLIBUnicodeUTF8StrUpper(sz, buf, sizeof(buf));
    return n < 0 ? "<failed>" : std::string(buf);
}

std::string ToCP(int index, const char *sz) {
    char buf[64];
    int n = VLIBUnicodeStrUTF8ToCP(index, sz, buf, sizeof(buf));
    if (n < 0) return "<failed>";
    return std::string(buf, static_cast<size_t>(n));
}

}  // namespace

TEST(UnicodeUpper, UpperCasesUtf8) {
    EXPECT_EQ(Upper("admin"), "ADMIN");
    EXPECT_EQ(Upper("Grüße"), "GRÜSSE");
    EXPECT_EQ(Upper("ελληνικά"), "ΕΛΛΗΝΙΚΆ");
    EXPECT_EQ(Upper("дом"), "ДОМ");
    EXPECT_EQ(Upper("日本abc"), "日本ABC");
    EXPECT_EQ(Upper(""), "");
    // Root rules, not Turkish ones: i becomes I.
    EXPECT_EQ(Upper("istanbul"), "ISTANBUL");
}

TEST(UnicodeUpper, LongerResultAndTheDestinationRule) {
    // "ß" (2 bytes) becomes "SS" (2 bytes); "ŉ" (2 bytes) becomes "ʼN" (3 bytes).
    char buf[8];
    memset(buf, 'x', sizeof(buf));
    EXPECT_EQ(VLIBUnicodeUTF8StrUpper("ß", buf, 2), 2);  // no room for the NUL: emptied
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(VLIBUnicodeUTF8StrUpper("ß", buf, 3), 2);
    EXPECT_STREQ(buf, "SS");
    EXPECT_EQ(VLIBUnicodeUTF8StrUpper("ŉ", buf, 3), 3);  // longer than its source
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(VLIBUnicodeUTF8StrUpper("ŉ", buf, 4), 3);
    EXPECT_STREQ(buf, "ʼN");
    EXPECT_EQ(VLIBUnicodeUTF8StrUpper("abc", nullptr, 0), 3);  // size 0 only measures
}

TEST(UnicodeUpper, Failures) {
    char buf[8];
    struct {
        const char *what;
        const char *src;
        char *dst;
        int cb;
        unsigned code;
    } cases[] = {
        {"NULL source", nullptr, buf, 8, ERR_BAD_PARAMETERS},
        {"negative size", "a", buf, -1, ERR_BAD_PARAMETERS},
        {"NULL destination with a size", "a", nullptr, 8, ERR_BAD_PARAMETERS},
        {"invalid UTF-8", "a\xff", buf, 8, kErrConvert},
        {"truncated sequence", "\xc3", buf, 8, kErrConvert},
    };
    for (auto &c : cases) {
        VLIBErrSetNoPos(0);
        EXPECT_EQ(VLIBUnicodeUTF8StrUpper(c.src, c.dst, c.cb), -1) << c.what;
        EXPECT_EQ(VLIBErrGet(), c.code) << c.what;
    }
}

TEST(UnicodeUpper, Utf16GrowsTheCallersBuffer) {
    const uint16_t src[] = {0x00DF, 'a', 0};  // "ßa"
    uint16_t *buf = static_cast<uint16_t *>(malloc(2 * sizeof(uint16_t)));
    int n = VLIBUnicodeUTF16StrUpper(src, &buf, 2);
    ASSERT_EQ(n, 3);
    EXPECT_EQ(buf[0], 'S');
    EXPECT_EQ(buf[1], 'S');
    EXPECT_EQ(buf[2], 'A');
    EXPECT_EQ(buf[3], 0);
    free(buf);

    uint16_t *none = nullptr;
    ASSERT_EQ(VLIBUnicodeUTF16StrUpper(src, &none, 0), 3);
    EXPECT_EQ(none[2], 'A');
    free(none);
    EXPECT_EQ(VLIBUnicodeUTF16StrUpper(nullptr, &none, 0), -1);
}

TEST(UnicodeCaseCmp, ComparesWithoutRegardToCase) {
    struct {
        const char *a, *b;
        int want;
    } cases[] = {
        {"admin", "ADMIN", 0},    {"a", "B", -1},          {"b", "A", 1}, {"Émile", "émile", 0},
        {"straße", "STRASSE", 0}, {"émile", "Zoe", -1},    {"", "", 0},   {"", "a", -1},
        {"Ärger", "arger", 1},    {"user10", "user9", -1},
    };
    for (auto &c : cases)
        EXPECT_EQ(VLIBUnicodeUTF8StrCaseCmp(c.a, c.b), c.want) << c.a << " vs " << c.b;

    VLIBErrSetNoPos(0);
    EXPECT_EQ(VLIBUnicodeUTF8StrCaseCmp(nullptr, "a"), -2);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS));
    VLIBErrSetNoPos(0);
    EXPECT_EQ(VLIBUnicodeUTF8StrCaseCmp("a", "\xff"), -2);
    EXPECT_EQ(VLIBErrGet(), kErrConvert);
}

TEST(UnicodeCountChar, CountsCodePoints) {
    EXPECT_EQ(VLIBUnicodeUTF8StrCountChar(""), 0);
    EXPECT_EQ(VLIBUnicodeUTF8StrCountChar("abc"), 3);
    EXPECT_EQ(VLIBUnicodeUTF8StrCountChar("añ€😀"), 4);  // 1 + 2 + 3 + 4 bytes
    VLIBErrSetNoPos(0);
    EXPECT_EQ(VLIBUnicodeUTF8StrCountChar("a\x80"), -1);
    EXPECT_EQ(VLIBErrGet(), kErrConvert);
    EXPECT_EQ(VLIBUnicodeUTF8StrCountChar(nullptr), -1);
}

TEST(UnicodeCodePage, ConvertsIntoTheConfiguredPage) {
    struct {
        int index;
        const char *src;
        std::string want;
    } cases[] = {
        {0, "é日本", "é日本"},             // UTF-8: copied unchanged
        {15, "é€", "\xe9\x80"},            // Windows 1252
        {13, "ł", "\xb3"},                 // Windows 1250
        {14, "Ж", "\xc6"},                 // Windows 1251
        {2, "é", "\x82"},                  // DOS 437
        {4, "é", "\x82"},                  // DOS 850
        {8, "Ж", "\x86"},                  // DOS 866
        {9, "日本", "\x93\xfa\x96\x7b"},   // Windows 932
        {10, "中", "\xd6\xd0"},            // Windows 936
        {11, "한", "\xc7\xd1"},            // Windows 949
        {12, "中", "\xa4\xa4"},            // Windows 950
        {31, "é", "\x8e"},                 // Mac Roman
        {30, "Ж", "\x86"},                 // Mac Cyrillic
        {25, "日本", "\x93\xfa\x96\x7b"},  // Mac Japanese, Shift_JIS-based
        {26, "中", "\xd6\xd0"},            // Mac Simplified Chinese, EUC-CN-based
        {27, "한", "\xc7\xd1"},            // Mac Korean, EUC-KR-based
        {28, "中", "\xa4\xa4"},            // Mac Traditional Chinese, Big5-based
    };
    for (auto &c : cases)
        EXPECT_EQ(ToCP(c.index, c.src), c.want) << "index " << c.index;

    // Every converter index has a converter here.
    for (int i = 0; i < VLIB_CONVERTER_COUNT; ++i) {
        char buf[16];
        EXPECT_GT(VLIBUnicodeStrUTF8ToCP(i, "A", buf, sizeof(buf)), 0) << "index " << i;
    }
}

TEST(UnicodeCodePage, DestinationRuleAndFailures) {
    char buf[4];
    EXPECT_EQ(VLIBUnicodeStrUTF8ToCP(0, "abcd", buf, 4), 4);  // too long: emptied
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(VLIBUnicodeStrUTF8ToCP(9, "日本", buf, 4), 4);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(VLIBUnicodeStrUTF8ToCP(9, "日本", nullptr, 0), 4);

    for (int bad : {-1, 34, 100}) {
        VLIBErrSetNoPos(0);
        EXPECT_EQ(VLIBUnicodeStrUTF8ToCP(bad, "a", buf, 4), -1) << bad;
        EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS));
    }
    VLIBErrSetNoPos(0);
    EXPECT_EQ(VLIBUnicodeStrUTF8ToCP(15, "\xff", buf, 4), -1);
    EXPECT_EQ(VLIBErrGet(), kErrConvert);
    EXPECT_EQ(VLIBUnicodeStrUTF8ToCP(15, nullptr, buf, 4), -1);
}

namespace {
int CodePage(int kind) {
    int index = -99;
    return VLIBConfCodePageGet(kind, &index) == 0 ? index : -1;
}
}  // namespace

TEST(ConfCodePage, MapsTheSettingByKind) {
    struct {
        const char *codepage;
        int windows, mac, alt;
    } cases[] = {
        {"enu", 15, 2, 31},  {"ger", 15, 4, 31}, {"plk", 13, 5, 29},  {"trk", 17, 6, 33},
        {"rus", 14, 8, 30},  {"jpn", 9, 9, 25},  {"chs", 10, 10, 26}, {"cht", 12, 12, 28},
        {"krn", 11, 11, 27}, {"utf8", 0, 0, 0},
    };
    for (auto &c : cases) {
        vorltest::WriteFile("/etc/vorlinfo.conf", std::string("codepage=\"") + c.codepage +
                                                      "\"\ncodepage_mediaservice=\"rus\"\n");
        EXPECT_EQ(CodePage(VLIB_CODEPAGE_WINDOWS), c.windows) << c.codepage;
        EXPECT_EQ(CodePage(VLIB_CODEPAGE_MAC), c.mac) << c.codepage;
        EXPECT_EQ(CodePage(VLIB_CODEPAGE_WINDOWS_ALT), c.alt) << c.codepage;
        EXPECT_EQ(CodePage(VLIB_CODEPAGE_MEDIA), 14) << c.codepage;  // its own key
    }
}

TEST(ConfCodePage, RefusesMissingUnknownAndEmptySettings) {
    vorltest::SyslogCapture log;
    vorltest::WriteFile("/etc/vorlinfo.conf", "other=\"x\"\n");
    VLIBErrSetNoPos(0);
    EXPECT_EQ(CodePage(VLIB_CODEPAGE_WINDOWS), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_NOT_FOUND));
    EXPECT_EQ(CodePage(VLIB_CODEPAGE_MEDIA), -1);
    for (const char *value : {"", "xyz", "ENU", "437"}) {
        vorltest::WriteFile("/etc/vorlinfo.conf", std::string("codepage=\"") + value + "\"\n");
        EXPECT_EQ(CodePage(VLIB_CODEPAGE_WINDOWS), -1) << value;
    }
    vorltest::WriteFile("/etc/vorlinfo.conf", "codepage=\"enu\"\n");
    for (int kind : {0, 5, -1}) {
        VLIBErrSetNoPos(0);
        EXPECT_EQ(CodePage(kind), -1) << kind;
        EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS));
    }
    EXPECT_TRUE(log.Contains("conf_code_page_get.c:"));
    EXPECT_TRUE(log.Contains("Bad parameter (5)."));
    EXPECT_EQ(VLIBConfCodePageGet(VLIB_CODEPAGE_WINDOWS, nullptr), -1);
}

TEST(ConfCodePage, PasswordTextIntoTheDosCodePage) {
    // What the LM hash does: upper-case, then convert into the DOS page.
    vorltest::WriteFile("/etc/vorlinfo.conf", "codepage=\"ger\"\n");
    int index = -1;
    ASSERT_EQ(VLIBConfCodePageGet(VLIB_CODEPAGE_MAC, &index), 0);
    char upper[128], out[128];
    ASSERT_EQ(VLIBUnicodeUTF8StrUpper("grün", upper, sizeof(upper)), 5);
    EXPECT_EQ(VLIBUnicodeStrUTF8ToCP(index, upper, out, sizeof(out)), 4);
    EXPECT_STREQ(out, "GR\x9aN");  // Ü in DOS 850
}
