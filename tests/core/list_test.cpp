#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include <vorl/err.h>
#include <vorl/sz_list.h>

namespace {

// Owns a list handle for a test; operations that grow the list replace p.
struct List {
    explicit List(int cb = 512) : p(PslVLIBSzListAlloc(cb)) {}
    ~List() { VLIBSzListFree(p); }
    SzList *p;
};

std::vector<std::string> Entries(const SzList *pList) {
    std::vector<std::string> out;
    for (int i = 0; i < pList->nItem; ++i)
        out.emplace_back(SzVLIBSzListGet(pList, i));
    return out;
}

void PushAll(SzList **pp, std::initializer_list<const char *> items) {
    for (const char *sz : items)
        ASSERT_GE(VLIBSzListPush(pp, sz), 0) << sz;
}

// free = size - header - 4 per entry - bytes of the string area.
void ExpectConsistent(const SzList *pList) {
    EXPECT_EQ(pList->cbFree,
              static_cast<int>(pList->offStrArea) - SZLIST_HEADER_SIZE - 4 * pList->nItem);
    EXPECT_EQ(pList->offEnd, static_cast<uint32_t>(pList->cbSize - 1));
    EXPECT_EQ(reinterpret_cast<const char *>(pList)[pList->cbSize - 1], '\0');
}

std::vector<std::string> V(std::initializer_list<const char *> items) {
    return std::vector<std::string>(items.begin(), items.end());
}

}  // namespace

TEST(SzList, FreshListHasMinimumSizeAndHeaderLayout) {
    List small(100);
    ASSERT_NE(small.p, nullptr);
    EXPECT_EQ(small.p->cbSize, 512);
    EXPECT_EQ(small.p->cbFree, 488);
    EXPECT_EQ(small.p->nItem, 0);
    EXPECT_EQ(small.p->fSort, 0);
    EXPECT_EQ(small.p->offStrArea, 512u);  // one past the end: no strings yet
    EXPECT_EQ(small.p->offEnd, 511u);
    EXPECT_EQ(sizeof(SzList), 24u);

    List big(1024);
    EXPECT_EQ(big.p->cbSize, 1024);
    EXPECT_EQ(big.p->cbFree, 1000);
}

TEST(SzList, InsertBeyondCountFillsHoles) {
    List l;
    ASSERT_EQ(VLIBSzListInsert(&l.p, 3, "b"), 3);
    EXPECT_EQ(l.p->nItem, 4);
    EXPECT_EQ(Entries(l.p), V({"", "", "", "b"}));
    EXPECT_EQ(l.p->cbFree, 488 - (2 + 4 + 12));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(l.p->rgOffItem[i], l.p->offEnd);
    EXPECT_EQ(VLIBSzListFind(l.p, ""), -1);  // holes never match
    ExpectConsistent(l.p);

    // Insertion inside the entries shifts them up.
    ASSERT_EQ(VLIBSzListInsert(&l.p, 1, "x"), 1);
    EXPECT_EQ(Entries(l.p), V({"", "x", "", "", "b"}));
    ExpectConsistent(l.p);
}

TEST(SzList, BadArgumentsAreRefused) {
    List l;
    PushAll(&l.p, {"a"});
    struct {
        const char *what;
        bool failed;
    } cases[] = {
        {"insert negative index", VLIBSzListInsert(&l.p, -1, "x") == -1},
        {"insert NULL string", VLIBSzListInsert(&l.p, 0, nullptr) == -1},
        {"insert NULL handle", VLIBSzListInsert(nullptr, 0, "x") == -1},
        {"get out of range", SzVLIBSzListGet(l.p, 1) == nullptr},
        {"get negative", SzVLIBSzListGet(l.p, -1) == nullptr},
        {"set out of range", VLIBSzListSet(&l.p, 1, "x") == -1},
        {"remove out of range", SzVLIBSzListRemove(l.p, 5) == nullptr},
        {"find NULL", VLIBSzListFind(l.p, nullptr) == -1},
        {"or NULL source", PslVLIBSzListOr(&l.p, nullptr, 0) == nullptr},
    };
    for (auto &c : cases) {
        EXPECT_TRUE(c.failed) << c.what;
    }
    VLIBErrSetNoPos(0);
    EXPECT_EQ(VLIBSzListInsert(&l.p, -1, "x"), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS));
    EXPECT_EQ(Entries(l.p), V({"a"}));
}

TEST(SzList, ByteSortedListKeepsOrderAndFindsByBinarySearch) {
    List l;
    ASSERT_EQ(VLIBSzListSort(l.p, SZLIST_SORT_BYTE), 0);
    PushAll(&l.p, {"c", "a", "b"});
    EXPECT_EQ(Entries(l.p), V({"a", "b", "c"}));
    EXPECT_EQ(VLIBSzListFind(l.p, "b"), 1);
    EXPECT_EQ(VLIBSzListFind(l.p, "B"), -1);
    // Unshift and insert ignore the index in a sorted list; byte order puts
    // capitals first.
    EXPECT_EQ(VLIBSzListUnshift(&l.p, "d"), 3);
    EXPECT_EQ(VLIBSzListInsert(&l.p, 0, "Z"), 0);
    EXPECT_EQ(Entries(l.p), V({"Z", "a", "b", "c", "d"}));
    // A duplicate goes before its equal; Find answers the first of them.
    EXPECT_EQ(VLIBSzListPush(&l.p, "b"), 2);
    EXPECT_EQ(VLIBSzListFind(l.p, "b"), 2);
    EXPECT_EQ(l.p->nItem, 6);
}

TEST(SzList, FindRefusesTheOtherOrder) {
    List byCase, byByte;
    VLIBSzListSort(byCase.p, SZLIST_SORT_CASE);
    VLIBSzListSort(byByte.p, SZLIST_SORT_BYTE);
    PushAll(&byCase.p, {"x"});
    PushAll(&byByte.p, {"x"});

    VLIBErrSetNoPos(0);
    EXPECT_EQ(VLIBSzListFind(byCase.p, "x"), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS));
    VLIBErrSetNoPos(0);
    EXPECT_EQ(VLIBSzListCaseFind(byByte.p, "x"), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS));

    EXPECT_EQ(VLIBSzListCaseFind(byCase.p, "X"), 0);
    EXPECT_EQ(VLIBSzListFind(byByte.p, "x"), 0);
}

TEST(SzList, CaseSortedListUsesUnicodeCaseOrder) {
    List l;
    VLIBSzListSort(l.p, SZLIST_SORT_CASE);
    PushAll(&l.p, {"b", "Émile", "c", "a", "Zoe", "emma", "B"});
    std::vector<std::string> got = Entries(l.p);
    ASSERT_EQ(got.size(), 7u);
    // Case-insensitive: "b"/"B" are neighbours, "a" comes before them; the
    // accented capital sorts with its letter, not after "Z".
    EXPECT_EQ(got[0], "a");
    EXPECT_TRUE((got[1] == "b" && got[2] == "B") || (got[1] == "B" && got[2] == "b"));
    EXPECT_EQ(got[3], "c");
    EXPECT_EQ(got[4], "Émile");
    EXPECT_EQ(got[5], "emma");
    EXPECT_EQ(got[6], "Zoe");
    EXPECT_EQ(VLIBSzListCaseFind(l.p, "ÉMILE"), 4);
    EXPECT_EQ(VLIBSzListCaseFind(l.p, "zOE"), 6);
    EXPECT_EQ(VLIBSzListCaseFind(l.p, "d"), -1);

    // An unsorted list is searched case-insensitively too.
    List u;
    PushAll(&u.p, {"Alpha", "beta"});
    EXPECT_EQ(VLIBSzListCaseFind(u.p, "BETA"), 1);
    EXPECT_EQ(VLIBSzListCaseFind(u.p, "gamma"), -1);
}

TEST(SzList, CaseSortedListStaysOrderedWithInvalidUtf8) {
    // Texts that cannot be upper-cased still get a consistent place, so the
    // sort and the binary search agree.
    List l;
    VLIBSzListSort(l.p, SZLIST_SORT_CASE);
    PushAll(&l.p, {"\xff\xfe", "m", "\xc3", "A", "z"});
    EXPECT_EQ(Entries(l.p), V({"A", "m", "z", "\xc3", "\xff\xfe"}));
    EXPECT_EQ(VLIBSzListCaseFind(l.p, "\xc3"), 3);
    EXPECT_EQ(VLIBSzListCaseFind(l.p, "M"), 1);
}

TEST(SzList, PushingPastTheBlockDoublesItAndKeepsEntries) {
    List l;
    SzList *first = l.p;
    std::vector<std::string> want;
    for (int i = 0; i < 200; ++i) {
        want.push_back("entry-" + std::to_string(i));
        ASSERT_EQ(VLIBSzListPush(&l.p, want.back().c_str()), i);
    }
    EXPECT_NE(l.p, first);  // the handle was replaced
    EXPECT_EQ(l.p->cbSize, 4096);
    EXPECT_EQ(Entries(l.p), want);
    ExpectConsistent(l.p);
}

TEST(SzList, PushingAnEntryOfTheSameListSurvivesExpansion) {
    List l;
    // Fill the block nearly full, then push its own first entry: the text
    // lives in the block that the expansion releases.
    std::string big(400, 'q');
    PushAll(&l.p, {big.c_str()});
    while (l.p->cbFree >= static_cast<int>(big.size()) + 5)
        ASSERT_GE(VLIBSzListPush(&l.p, "filler"), 0);
    int n = l.p->nItem;
    ASSERT_EQ(VLIBSzListPush(&l.p, SzVLIBSzListGet(l.p, 0)), n);
    EXPECT_EQ(SzVLIBSzListGet(l.p, n), big);
    ASSERT_EQ(VLIBSzListSet(&l.p, 1, SzVLIBSzListGet(l.p, 0)), 1);
    EXPECT_EQ(SzVLIBSzListGet(l.p, 1), big);
}

TEST(SzList, RemovePopAndShift) {
    List one;
    PushAll(&one.p, {"only"});
    int freeBefore = one.p->cbFree;
    EXPECT_STREQ(SzVLIBSzListRemove(one.p, 0), "only");
    EXPECT_EQ(one.p->nItem, 0);
    EXPECT_EQ(one.p->cbFree, freeBefore + 4);  // the string's bytes stay used
    VLIBErrSetNoPos(0);
    EXPECT_EQ(SzVLIBSzListRemove(one.p, 0), nullptr);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS));
    EXPECT_EQ(SzVLIBSzListPop(one.p), nullptr);
    EXPECT_EQ(SzVLIBSzListShift(one.p), nullptr);

    List l;
    PushAll(&l.p, {"a", "b", "c", "d"});
    EXPECT_STREQ(SzVLIBSzListPop(l.p), "d");
    EXPECT_STREQ(SzVLIBSzListShift(l.p), "a");
    EXPECT_STREQ(SzVLIBSzListRemove(l.p, 1), "c");
    EXPECT_EQ(Entries(l.p), V({"b"}));
    ExpectConsistent(l.p);
}

TEST(SzList, SetReusesBytesOrTakesNewOnes) {
    List l;
    PushAll(&l.p, {"alpha", "beta"});
    int freeBefore = l.p->cbFree;
    ASSERT_EQ(VLIBSzListSet(&l.p, 0, "al"), 0);
    EXPECT_EQ(l.p->cbFree, freeBefore);  // written over the old text
    ASSERT_EQ(VLIBSzListSet(&l.p, 1, "a-longer-text"), 1);
    EXPECT_EQ(l.p->cbFree, freeBefore - 14);
    EXPECT_EQ(Entries(l.p), V({"al", "a-longer-text"}));
    ExpectConsistent(l.p);

    // In a sorted list the entry moves to its place and the new index is answered.
    List s;
    VLIBSzListSort(s.p, SZLIST_SORT_BYTE);
    PushAll(&s.p, {"b", "d", "f"});
    EXPECT_EQ(VLIBSzListSet(&s.p, 0, "g"), 2);
    EXPECT_EQ(Entries(s.p), V({"d", "f", "g"}));
    EXPECT_EQ(VLIBSzListSet(&s.p, 2, "a"), 0);
    EXPECT_EQ(Entries(s.p), V({"a", "d", "f"}));
}

TEST(SzList, CompactClearAndExpand) {
    List l;
    ASSERT_EQ(VLIBSzListInsert(&l.p, 2, "x"), 2);
    PushAll(&l.p, {"y"});
    ASSERT_EQ(VLIBSzListInsert(&l.p, 5, "z"), 5);
    ASSERT_EQ(Entries(l.p), V({"", "", "x", "y", "", "z"}));

    // Expansion keeps holes as holes and the entries in order.
    SzList *p = PslVLIBSzListExpand(l.p);
    ASSERT_NE(p, nullptr);
    l.p = p;
    EXPECT_EQ(l.p->cbSize, 1024);
    EXPECT_EQ(Entries(l.p), V({"", "", "x", "y", "", "z"}));
    EXPECT_EQ(l.p->rgOffItem[4], l.p->offEnd);
    ExpectConsistent(l.p);

    int freeBefore = l.p->cbFree;
    ASSERT_EQ(VLIBSzListCompact(l.p), 0);
    EXPECT_EQ(Entries(l.p), V({"x", "y", "z"}));
    EXPECT_EQ(l.p->cbFree, freeBefore + 12);

    VLIBSzListSort(l.p, SZLIST_SORT_BYTE);
    ASSERT_EQ(VLIBSzListClear(l.p), 0);
    EXPECT_EQ(l.p->nItem, 0);
    EXPECT_EQ(l.p->cbFree, 1024 - 24);
    EXPECT_EQ(l.p->fSort, SZLIST_SORT_BYTE);  // the sort mode stays
    PushAll(&l.p, {"q"});
    EXPECT_EQ(Entries(l.p), V({"q"}));
}

TEST(SzList, SortCompactsAndRecordsTheMode) {
    List l;
    PushAll(&l.p, {"pear", "apple"});
    ASSERT_EQ(VLIBSzListInsert(&l.p, 3, "fig"), 3);
    ASSERT_EQ(VLIBSzListSort(l.p, SZLIST_SORT_BYTE), 0);
    EXPECT_EQ(Entries(l.p), V({"apple", "fig", "pear"}));
    EXPECT_EQ(l.p->fSort, SZLIST_SORT_BYTE);

    // Changing to the other order sorts again, so that its searches work.
    PushAll(&l.p, {"Banana"});
    EXPECT_EQ(Entries(l.p), V({"Banana", "apple", "fig", "pear"}));
    ASSERT_EQ(VLIBSzListSort(l.p, SZLIST_SORT_CASE), 0);
    EXPECT_EQ(Entries(l.p), V({"apple", "Banana", "fig", "pear"}));
    EXPECT_EQ(VLIBSzListCaseFind(l.p, "BANANA"), 1);

    // Mode 0 makes it unsorted: pushes append again.
    ASSERT_EQ(VLIBSzListSort(l.p, SZLIST_SORT_NONE), 0);
    PushAll(&l.p, {"0"});
    EXPECT_EQ(SzVLIBSzListGet(l.p, 4), std::string("0"));
}

TEST(SzList, UnionCases) {
    struct Case {
        const char *what;
        int sortDst, sortSrc;
        std::vector<std::string> dst, src;
        std::vector<std::string> inPlace, fresh;
    };
    const Case cases[] = {
        {"both unsorted", 0, 0, V({"a", "b"}), V({"b", "c"}), V({"a", "b", "c"}),
         V({"a", "b", "c"})},
        {"unsorted, source sorted", 0, 1, V({"x", "b", "y"}), V({"c", "a", "b"}),
         V({"x", "y", "a", "b", "c"}), V({"a", "b", "c", "x", "y"})},
        {"sorted, source unsorted", 1, 0, V({"a", "c"}), V({"d", "b", "a", "b"}),
         V({"a", "b", "c", "d"}), V({"a", "b", "c", "d"})},
        {"both sorted", 1, 1, V({"a", "c", "e"}), V({"b", "c", "f"}), V({"a", "b", "c", "e", "f"}),
         V({"a", "b", "c", "e", "f"})},
        {"both case-sorted", 16, 16, V({"Anna", "bob"}), V({"ANNA", "Carl"}),
         V({"Anna", "bob", "Carl"}), V({"Anna", "bob", "Carl"})},
    };
    for (const Case &c : cases) {
        for (bool fresh : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (fresh ? " (new list)" : " (in place)"));
            List dst, src;
            VLIBSzListSort(dst.p, c.sortDst);
            VLIBSzListSort(src.p, c.sortSrc);
            for (auto &s : c.dst)
                ASSERT_GE(VLIBSzListPush(&dst.p, s.c_str()), 0);
            for (auto &s : c.src)
                ASSERT_GE(VLIBSzListPush(&src.p, s.c_str()), 0);
            std::vector<std::string> dstBefore = Entries(dst.p);
            SzList *res = PslVLIBSzListOr(&dst.p, src.p, fresh ? SZLIST_OR_NEW : 0);
            ASSERT_NE(res, nullptr);
            if (fresh) {
                EXPECT_NE(res, dst.p);
                EXPECT_EQ(Entries(res), c.fresh);
                EXPECT_EQ(Entries(dst.p), dstBefore);
                VLIBSzListFree(res);
            } else {
                EXPECT_EQ(res, dst.p);
                EXPECT_EQ(Entries(dst.p), c.inPlace);
            }
        }
    }
}

TEST(SzList, UnionRefusesMixedOrdersAndHandlesGrowthAndItself) {
    List byByte, byCase;
    VLIBSzListSort(byByte.p, SZLIST_SORT_BYTE);
    VLIBSzListSort(byCase.p, SZLIST_SORT_CASE);
    VLIBErrSetNoPos(0);
    EXPECT_EQ(PslVLIBSzListOr(&byByte.p, byCase.p, 0), nullptr);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS));

    // In place with holes dropped and growth: the caller's handle follows.
    List dst, src;
    ASSERT_EQ(VLIBSzListInsert(&dst.p, 1, "d0"), 1);
    for (int i = 0; i < 100; ++i) {
        std::string s = "s" + std::to_string(i);
        ASSERT_GE(VLIBSzListPush(&src.p, s.c_str()), 0);
    }
    ASSERT_NE(PslVLIBSzListOr(&dst.p, src.p, 0), nullptr);
    ASSERT_EQ(dst.p->nItem, 101);
    EXPECT_STREQ(SzVLIBSzListGet(dst.p, 0), "d0");
    EXPECT_STREQ(SzVLIBSzListGet(dst.p, 100), "s99");

    // A list united with itself stays as it is.
    List self;
    PushAll(&self.p, {"a", "b"});
    ASSERT_NE(PslVLIBSzListOr(&self.p, self.p, 0), nullptr);
    EXPECT_EQ(Entries(self.p), V({"a", "b"}));
}

TEST(SzList, PackedFormIsTheBlockWithLittleEndianOffsets) {
    List l;
    ASSERT_EQ(VLIBSzListInsert(&l.p, 1, "one"), 1);
    PushAll(&l.p, {"two"});
    ASSERT_EQ(VLIBSzListInsert(&l.p, 4, ""), 4);
    SzVLIBSzListRemove(l.p, 2);  // leaves idle bytes behind, packed as they are

    int cb = 0;
    void *packed = VORLListDBPack(l.p, &cb);
    ASSERT_NE(packed, nullptr);
    ASSERT_EQ(cb, 512);
    auto u32 = [&](int off) {
        const auto *b = static_cast<const unsigned char *>(packed) + off;
        return uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
    };
    EXPECT_EQ(u32(0), 512u);
    EXPECT_EQ(u32(4), 4u);  // count
    EXPECT_EQ(u32(8), static_cast<uint32_t>(l.p->cbFree));
    EXPECT_EQ(u32(12), 0u);
    EXPECT_EQ(u32(20), 511u);  // the end byte
    EXPECT_EQ(u32(24), 511u);  // entry 0 is a hole
    const char *base = static_cast<const char *>(packed);
    EXPECT_STREQ(base + u32(28), "one");
    EXPECT_EQ(static_cast<const char *>(packed)[511], '\0');

    SzList *back = VORLListDBUnpack(packed, cb);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(Entries(back), Entries(l.p));
    for (int i = 0; i < back->nItem; ++i)
        EXPECT_EQ(back->rgOffItem[i] == back->offEnd, l.p->rgOffItem[i] == l.p->offEnd) << i;
    // The unpacked list is a working list.
    ASSERT_GE(VLIBSzListPush(&back, "three"), 0);
    EXPECT_STREQ(SzVLIBSzListGet(back, 4), "three");
    VLIBSzListFree(back);
    free(packed);
}

TEST(SzList, UnpackRefusesDamagedRecords) {
    List l;
    PushAll(&l.p, {"a", "b"});
    int cb = 0;
    void *packed = VORLListDBPack(l.p, &cb);
    ASSERT_NE(packed, nullptr);
    std::string good(static_cast<const char *>(packed), static_cast<size_t>(cb));
    free(packed);

    auto put = [](std::string &s, int off, uint32_t v) {
        memcpy(&s[static_cast<size_t>(off)], &v, 4);
    };
    struct {
        const char *what;
        std::string rec;
    } cases[] = {
        {"short record", good.substr(0, 100)}, {"size differs from record", good + "x"},
        {"entry past the end", good},          {"entry in the entry array", good},
        {"count past the string area", good},  {"no end byte", good},
    };
    put(cases[2].rec, 24, 4000);
    put(cases[3].rec, 24, 24);
    put(cases[4].rec, 4, 200);
    cases[5].rec[511] = 'x';
    for (auto &c : cases) {
        VLIBErrSetNoPos(0);
        SzList *p = VORLListDBUnpack(c.rec.data(), static_cast<int>(c.rec.size()));
        EXPECT_EQ(p, nullptr) << c.what;
        EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS)) << c.what;
        VLIBSzListFree(p);
    }
    SzList *ok = VORLListDBUnpack(good.data(), static_cast<int>(good.size()));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(Entries(ok), V({"a", "b"}));
    VLIBSzListFree(ok);
}
