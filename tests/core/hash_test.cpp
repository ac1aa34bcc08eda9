#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>

#include <map>
#include <string>
#include <vector>

#include <vorl/err.h>
#include <vorl/sz_hash.h>

namespace {

struct Hash {
    explicit Hash(int cb = 512) : p(PshVLIBSzHashAlloc(cb)) {}
    ~Hash() { VLIBSzHashFree(p); }
    SzHash *p;
};

// The home slot by the appliance's rule: bytes summed as little-endian words.
uint32_t Home(const std::string &key, uint32_t nSlot) {
    uint32_t sum = 0;
    for (size_t i = 0; i < key.size(); i += 4) {
        uint32_t w = 0;
        for (size_t j = 0; j < 4 && i + j < key.size(); ++j)
            w |= uint32_t{static_cast<unsigned char>(key[i + j])} << (8 * j);
        sum += w;
    }
    return sum % nSlot;
}

std::string Dump(const SzHash *p, const char *section, const char *format) {
    char *buf = nullptr;
    size_t cb = 0;
    FILE *fp = open_memstream(&buf, &cb);
    int r = VLIBFileHash2File(fp, section, p, format);
    fclose(fp);
    std::string out = r == 0 ? std::string(buf, cb) : "<failed>";
    free(buf);
    return out;
}

}  // namespace

TEST(SzHash, FreshHashShape) {
    Hash h(100);
    ASSERT_NE(h.p, nullptr);
    EXPECT_EQ(h.p->nSlot, 31);
    EXPECT_EQ(h.p->cbArea, 512);
    EXPECT_EQ(h.p->cbAreaFree, 512);
    EXPECT_EQ(h.p->nKey, 0);
    EXPECT_EQ(h.p->offNextFree, 20u + 8 * 31);
    for (int i = 0; i < 31; ++i)
        EXPECT_EQ(h.p->rgSlot[i].offKey | h.p->rgSlot[i].offValue, 0u);

    SzHash *odd = PshVLIBSzHashAllocator(7, 64);
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(odd->nSlot, 7);
    EXPECT_EQ(odd->cbArea, 64);
    VLIBSzHashFree(odd);
    EXPECT_EQ(PshVLIBSzHashAllocator(0, 64), nullptr);
}

TEST(SzHash, KeysGoToTheirHomeSlotAndProbeOnward) {
    Hash h;
    // "ab" and "ba" are different words; two 8-byte keys of the same two
    // words in swapped order share a home slot and probe to the next one.
    EXPECT_EQ(VLIBSzHashSetValue(&h.p, "ab", "1"), static_cast<int>(Home("ab", 31)));
    EXPECT_EQ(VLIBSzHashSetValue(&h.p, "ba", "2"), static_cast<int>(Home("ba", 31)));
    EXPECT_NE(Home("ab", 31), Home("ba", 31));
    uint32_t home = Home("abcdefgh", 31);
    ASSERT_EQ(home, Home("efghabcd", 31));
    EXPECT_EQ(VLIBSzHashSetValue(&h.p, "abcdefgh", "x"), static_cast<int>(home));
    EXPECT_EQ(VLIBSzHashSetValue(&h.p, "efghabcd", "y"), static_cast<int>((home + 1) % 31));
    EXPECT_STREQ(SzVLIBSzHashGetValue(h.p, "abcdefgh"), "x");
    EXPECT_STREQ(SzVLIBSzHashGetValue(h.p, "efghabcd"), "y");
    EXPECT_STREQ(SzVLIBSzHashGetValue(h.p, "ab"), "1");
    EXPECT_EQ(SzVLIBSzHashGetValue(h.p, "abcd"), nullptr);
    EXPECT_EQ(VLIBSzHashSetValue(&h.p, "", "empty"), 0);  // the empty key hashes to 0
    EXPECT_STREQ(SzVLIBSzHashGetValue(h.p, ""), "empty");
    EXPECT_EQ(h.p->nKey, 5);
    // Key and value are stored one after the other from the area start.
    EXPECT_EQ(h.p->rgSlot[Home("ab", 31)].offKey, 20u + 8 * 31);
    EXPECT_EQ(h.p->rgSlot[Home("ab", 31)].offValue, 20u + 8 * 31 + 3);
}

TEST(SzHash, TwentyFifthKeyGrowsTheSlotTable) {
    Hash h;
    std::map<std::string, std::string> want;
    for (int i = 0; i < 24; ++i) {
        std::string k = "k" + std::to_string(i), v = "v" + std::to_string(i);
        ASSERT_GE(VLIBSzHashSetValue(&h.p, k.c_str(), v.c_str()), 0);
        want[k] = v;
    }
    EXPECT_EQ(h.p->nSlot, 31);
    SzHash *before = h.p;
    ASSERT_GE(VLIBSzHashSetValue(&h.p, "k24", "v24"), 0);
    want["k24"] = "v24";
    EXPECT_NE(h.p, before);
    EXPECT_EQ(h.p->nSlot, 119);
    EXPECT_EQ(h.p->cbArea, 512);
    EXPECT_EQ(h.p->nKey, 25);
    for (auto &[k, v] : want)
        EXPECT_STREQ(SzVLIBSzHashGetValue(h.p, k.c_str()), v.c_str()) << k;
    // Next growth: 119 * 3/4 keys later, 4 * 119 - 5 = 471 slots.
    for (int i = 25; i < 200; ++i) {
        std::string k = "k" + std::to_string(i);
        ASSERT_GE(VLIBSzHashSetValue(&h.p, k.c_str(), "v"), 0);
    }
    EXPECT_EQ(h.p->nSlot, 471);
}

TEST(SzHash, StringAreaGrowsByTheMeanRule) {
    Hash h;
    // No keys yet: the mean is the need itself, so area = n + 512 + 31 * n.
    std::string big(600, 'v');
    ASSERT_GE(VLIBSzHashSetValue(&h.p, "k", big.c_str()), 0);
    int n = 1 + 600 + 2;
    EXPECT_EQ(h.p->cbArea, n + 512 + 31 * n);
    EXPECT_EQ(h.p->nSlot, 31);
    EXPECT_EQ(h.p->cbAreaFree, h.p->cbArea - n);

    // With keys: mean = area / keys in single precision, truncated.
    Hash g;
    ASSERT_GE(VLIBSzHashSetValue(&g.p, "a", "1"), 0);
    ASSERT_GE(VLIBSzHashSetValue(&g.p, "b", "2"), 0);
    ASSERT_GE(VLIBSzHashSetValue(&g.p, "c", "3"), 0);
    std::string v(520, 'x');
    ASSERT_GE(VLIBSzHashSetValue(&g.p, "d", v.c_str()), 0);
    int need = 1 + 520 + 2, mean = static_cast<int>(512.0f / 3.0f);
    EXPECT_EQ(g.p->cbArea, need + 512 + (31 - 3) * mean);
    EXPECT_STREQ(SzVLIBSzHashGetValue(g.p, "b"), "2");
}

TEST(SzHash, ReplacingValues) {
    Hash h;
    ASSERT_GE(VLIBSzHashSetValue(&h.p, "key", "medium"), 0);
    int freeBefore = h.p->cbAreaFree;
    int slot = VLIBSzHashSetValue(&h.p, "key", "short");
    EXPECT_EQ(slot, static_cast<int>(Home("key", 31)));
    EXPECT_EQ(h.p->cbAreaFree, freeBefore);
    EXPECT_STREQ(SzVLIBSzHashGetValue(h.p, "key"), "short");
    EXPECT_EQ(VLIBSzHashSetValue(&h.p, "key", "a much longer value"), slot);
    EXPECT_EQ(h.p->cbAreaFree, freeBefore - 20);
    EXPECT_STREQ(SzVLIBSzHashGetValue(h.p, "key"), "a much longer value");
    EXPECT_EQ(h.p->nKey, 1);
}

TEST(SzHash, RemovedSlotsKeepProbesGoingAndAreReused) {
    Hash h;
    uint32_t home = Home("abcdefgh", 31);
    ASSERT_EQ(VLIBSzHashSetValue(&h.p, "abcdefgh", "1"), static_cast<int>(home));
    ASSERT_EQ(VLIBSzHashSetValue(&h.p, "efghabcd", "2"), static_cast<int>(home + 1) % 31);
    EXPECT_STREQ(SzVLIBSzHashRemoveKey(h.p, "abcdefgh"), "1");
    EXPECT_EQ(h.p->nKey, 1);
    EXPECT_EQ(SzVLIBSzHashGetValue(h.p, "abcdefgh"), nullptr);
    // The deleted home slot does not hide the key probed past it.
    EXPECT_STREQ(SzVLIBSzHashGetValue(h.p, "efghabcd"), "2");
    // A third key of the same home ("bbcd" + "dfgh" sums as "abcd" + "efgh"):
    // the deleted home slot is not taken, the first free slot past it is;
    // updating the second key finds it, not a new slot.
    EXPECT_EQ(VLIBSzHashSetValue(&h.p, "bbcddfgh", "3"), static_cast<int>(home + 2) % 31);
    EXPECT_EQ(VLIBSzHashSetValue(&h.p, "efghabcd", "22"), static_cast<int>(home + 1) % 31);
    EXPECT_STREQ(SzVLIBSzHashGetValue(h.p, "bbcddfgh"), "3");
    EXPECT_STREQ(SzVLIBSzHashGetValue(h.p, "efghabcd"), "22");
    EXPECT_EQ(SzVLIBSzHashRemoveKey(h.p, "abcdefgh"), nullptr);
    EXPECT_EQ(h.p->nKey, 2);
    // A deleted slot past the home slot is reused by the next key of that home.
    EXPECT_STREQ(SzVLIBSzHashRemoveKey(h.p, "efghabcd"), "22");
    EXPECT_EQ(VLIBSzHashSetValue(&h.p, "accdeegh", "4"), static_cast<int>(home + 1) % 31);
    EXPECT_STREQ(SzVLIBSzHashGetValue(h.p, "bbcddfgh"), "3");
    EXPECT_STREQ(SzVLIBSzHashGetValue(h.p, "accdeegh"), "4");
}

TEST(SzHash, TinyTableStillFindsASlot) {
    // Two slots, the home slot deleted and the other live.
    SzHash *p = PshVLIBSzHashAllocator(2, 64);
    ASSERT_NE(p, nullptr);
    ASSERT_EQ(VLIBSzHashSetValue(&p, "b", "1"), static_cast<int>(Home("b", 2)));
    ASSERT_EQ(VLIBSzHashSetValue(&p, "d", "2"), static_cast<int>(Home("d", 2) + 1) % 2);
    ASSERT_NE(SzVLIBSzHashRemoveKey(p, "b"), nullptr);
    EXPECT_GE(VLIBSzHashSetValue(&p, "f", "3"), 0);
    EXPECT_STREQ(SzVLIBSzHashGetValue(p, "f"), "3");
    EXPECT_STREQ(SzVLIBSzHashGetValue(p, "d"), "2");
    for (int i = 0; i < 20; ++i)
        ASSERT_GE(VLIBSzHashSetValue(&p, std::to_string(i).c_str(), "x"), 0);
    EXPECT_EQ(p->nKey, 22);
    VLIBSzHashFree(p);
}

TEST(SzHash, TextsFromTheSameHashSurviveARebuild) {
    Hash h;
    ASSERT_GE(VLIBSzHashSetValue(&h.p, "src", std::string(300, 's').c_str()), 0);
    // The value handed in lives in the block that the growth releases.
    ASSERT_GE(VLIBSzHashSetValue(&h.p, "copy", SzVLIBSzHashGetValue(h.p, "src")), 0);
    EXPECT_EQ(std::string(SzVLIBSzHashGetValue(h.p, "copy")), std::string(300, 's'));
    ASSERT_GE(VLIBSzHashSetValue(&h.p, SzVLIBSzHashGetValue(h.p, "src"), "k"), 0);
    EXPECT_STREQ(SzVLIBSzHashGetValue(h.p, std::string(300, 's').c_str()), "k");
}

TEST(SzHash, NullArgumentsAnswerFailureWithoutAnErrorCode) {
    Hash h;
    VLIBErrSetNoPos(0);
    EXPECT_EQ(VLIBSzHashSetValue(nullptr, "k", "v"), -1);
    EXPECT_EQ(VLIBSzHashSetValue(&h.p, nullptr, "v"), -1);
    EXPECT_EQ(VLIBSzHashSetValue(&h.p, "k", nullptr), -1);
    EXPECT_EQ(SzVLIBSzHashGetValue(nullptr, "k"), nullptr);
    EXPECT_EQ(SzVLIBSzHashGetValue(h.p, nullptr), nullptr);
    EXPECT_EQ(SzVLIBSzHashRemoveKey(h.p, nullptr), nullptr);
    EXPECT_EQ(VLIBErrGet(), 0u);
    EXPECT_EQ(h.p->nKey, 0);
}

TEST(SzHash, EnumKeyInSlotOrder) {
    Hash h;
    EXPECT_EQ(VLIBSzHashEnumKey(nullptr, nullptr), -1);
    SzList *list = PslVLIBSzListAlloc(512);
    EXPECT_EQ(VLIBSzHashEnumKey(h.p, &list), 0);
    EXPECT_EQ(list->nItem, 0);
    for (const char *k : {"c", "a", "b"})
        ASSERT_GE(VLIBSzHashSetValue(&h.p, k, "v"), 0);
    EXPECT_EQ(VLIBSzHashEnumKey(h.p, nullptr), 3);
    EXPECT_EQ(VLIBSzHashEnumKey(h.p, &list), 3);
    // 'a' = 97, 'b' = 98, 'c' = 99 modulo 31: slots 4, 5, 6.
    ASSERT_EQ(list->nItem, 3);
    EXPECT_STREQ(SzVLIBSzListGet(list, 0), "a");
    EXPECT_STREQ(SzVLIBSzListGet(list, 1), "b");
    EXPECT_STREQ(SzVLIBSzListGet(list, 2), "c");
    VLIBSzListFree(list);
}

TEST(SzHash, ClearForgetsEveryKey) {
    Hash h;
    for (const char *k : {"x", "y", "z"})
        ASSERT_GE(VLIBSzHashSetValue(&h.p, k, "v"), 0);
    VLIBSzHashClear(h.p);
    EXPECT_EQ(h.p->nKey, 0);
    EXPECT_EQ(h.p->cbAreaFree, 512);
    for (const char *k : {"x", "y", "z"})
        EXPECT_EQ(SzVLIBSzHashGetValue(h.p, k), nullptr);
    ASSERT_GE(VLIBSzHashSetValue(&h.p, "y", "new"), 0);
    EXPECT_STREQ(SzVLIBSzHashGetValue(h.p, "y"), "new");
    EXPECT_EQ(VLIBSzHashEnumKey(h.p, nullptr), 1);
}

TEST(SzHash, Hash2FileWritesLinesInSlotOrder) {
    Hash h;
    for (const char *k : {"c", "a", "b"})
        ASSERT_GE(VLIBSzHashSetValue(&h.p, k, k), 0);
    EXPECT_EQ(Dump(h.p, nullptr, nullptr), "a=a\nb=b\nc=c\n");
    EXPECT_EQ(Dump(h.p, "share", "%s=\"%s\"\n"), "[share]\na=\"a\"\nb=\"b\"\nc=\"c\"\n");
    EXPECT_EQ(Dump(h.p, "s", "\t%s = %s 100%%\n"),
              "[s]\n\ta = a 100%\n\tb = b 100%\n\tc = c 100%\n");
    EXPECT_EQ(Dump(nullptr, "empty", nullptr), "[empty]\n");

    // Formats that do not read as key, '=', value, line feed are refused; so
    // is any conversion but two plain %s.
    for (const char *bad : {"%s %s\n", "%s=%s", "=%s%s\n", "%s=\n", "%s=%s\n%s", "%s=%d\n",
                            "%s=%s%n\n", "%s=%.3s\n"}) {
        VLIBErrSetNoPos(0);
        EXPECT_EQ(Dump(h.p, nullptr, bad), "<failed>") << bad;
        EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS)) << bad;
    }
}

TEST(SzHash, Hash2FileReportsWriteFailure) {
    Hash h;
    ASSERT_GE(VLIBSzHashSetValue(&h.p, "k", "v"), 0);
    FILE *fp = fopen("/dev/full", "w");
    ASSERT_NE(fp, nullptr);
    setvbuf(fp, nullptr, _IONBF, 0);
    VLIBErrSetNoPos(0);
    EXPECT_EQ(VLIBFileHash2File(fp, "sec", h.p, nullptr), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_WRITE_FAILED));
    fclose(fp);
}
