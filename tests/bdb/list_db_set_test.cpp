#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "vorltest.h"

#include <vorl/bdb.h>
#include <vorl/err.h>
#include <vorl/sz_list.h>

namespace {

struct ListFree {
    void operator()(SzList *p) const { VLIBSzListFree(p); }
};
using ListPtr = std::unique_ptr<SzList, ListFree>;

}  // namespace

TEST(ListDbSet, StoresThePackedListUnderTheUpperCasedKey) {
    VORLBDB *db = VORLBDbOpen("/tmp/share.db", O_RDWR | O_CREAT, 0);
    ASSERT_NE(db, nullptr);
    SzList *raw = PslVLIBSzListAlloc(512);
    ASSERT_NE(raw, nullptr);
    for (const char *s : {"homes", "path=/volume1/homes", "", "browseable=yes"})
        ASSERT_GE(VLIBSzListPush(&raw, s), 0);
    ListPtr list(raw);

    ASSERT_EQ(VORLListDBSet(db, "homes-1.x", list.get()), 0);
    ASSERT_EQ(VORLListDBSet(db, "homes-1.x", list.get()), 0);  // replaces

    // The key: '#', the name upper-cased byte by byte, and its NUL.
    char *pb = nullptr;
    int cb = 0;
    ASSERT_EQ(VORLBDbGet(db, "#HOMES-1.X", 11, &pb, &cb), 0);
    int cbPacked = 0;
    void *packed = VORLListDBPack(list.get(), &cbPacked);
    ASSERT_NE(packed, nullptr);
    ASSERT_EQ(cb, cbPacked);
    EXPECT_EQ(memcmp(pb, packed, static_cast<size_t>(cb)), 0);
    free(packed);

    ListPtr back(VORLListDBUnpack(pb, cb));
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(back->nItem, 4);
    EXPECT_STREQ(SzVLIBSzListGet(back.get(), 1), "path=/volume1/homes");
    EXPECT_STREQ(SzVLIBSzListGet(back.get(), 2), "");
    free(pb);

    // Exactly one record: the key without its NUL is another key.
    pb = nullptr;
    cb = 0;
    EXPECT_EQ(VORLBDbGet(db, "#HOMES-1.X", 10, &pb, &cb), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_NOT_FOUND));

    EXPECT_EQ(VORLListDBSet(nullptr, "x", list.get()), -1);
    EXPECT_EQ(VORLListDBSet(db, nullptr, list.get()), -1);
    EXPECT_EQ(VORLListDBSet(db, "x", nullptr), -1);
    EXPECT_EQ(VLIBErrGet(), static_cast<unsigned>(ERR_BAD_PARAMETERS));
    EXPECT_EQ(VORLBDbClose(db), 0);
}

TEST(ListDbSet, AStoreFailureIsLoggedWithTheSection) {
    { VORLBDbClose(VORLBDbOpen("/tmp/share.db", O_RDWR | O_CREAT, 0)); }
    VORLBDB *db = VORLBDbOpen("/tmp/share.db", O_RDONLY, 0);
    ASSERT_NE(db, nullptr);
    ListPtr list(PslVLIBSzListAlloc(512));
    vorltest::SyslogCapture log;
    EXPECT_EQ(VORLListDBSet(db, "public", list.get()), -1);
    EXPECT_TRUE(log.Contains("list_db_set.c ("));
    EXPECT_TRUE(log.Contains("VORLBDbSet() failed, section[public]"));
    VORLBDbClose(db);
}
