#include <gtest/gtest.h>
#include <string.h>

#include <vorl/err.h>

TEST(ErrorCode, LastSetWinsAndKeepsItsPlace) {
    VLIBErrSet(ERR_OPEN_FAILED, "first.c", 10);
    EXPECT_EQ(VLIBErrGet(), 0x0900u);
    EXPECT_STREQ(VLIBErrGetFile(), "first.c");
    EXPECT_EQ(VLIBErrGetLine(), 10);

    VLIBErrSet(ERR_NOT_FOUND, "second.c", 20);
    EXPECT_EQ(VLIBErrGet(), 0x2000u);
    EXPECT_STREQ(VLIBErrGetFile(), "second.c");
    EXPECT_EQ(VLIBErrGetLine(), 20);

    VLIBErrSetNoPos(ERR_BAD_PARAMETERS);
    EXPECT_EQ(VLIBErrGet(), 0x0D00u);
    EXPECT_EQ(VLIBErrGetFile(), nullptr);
    EXPECT_EQ(VLIBErrGetLine(), 0);
}

TEST(ErrorCode, BacktraceIsCapturedAndPrinted) {
    VLIBErrSet(ERR_WRITE_FAILED, "x.c", 1);
    testing::internal::CaptureStdout();
    VLIBErrBacktracePuts();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(out.empty());
    VLIBErrBacktraceFree();
    testing::internal::CaptureStdout();
    VLIBErrBacktracePuts();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(VLIBErrGet(), 0x0B00u);  // freeing the texts keeps the code
}

TEST(ErrorCode, CodesHaveTheirInterfaceValues) {
    struct {
        unsigned got, want;
    } table[] = {
        {ERR_BUFFER_TOO_SMALL, 0x0100}, {ERR_OUT_OF_MEMORY, 0x0200}, {ERR_LOCK_FAILED, 0x0400},
        {ERR_UNLOCK_FAILED, 0x0500},    {ERR_OPEN_FAILED, 0x0900},   {ERR_READ_FAILED, 0x0A00},
        {ERR_WRITE_FAILED, 0x0B00},     {ERR_MKDIR_FAILED, 0x0C00},  {ERR_BAD_PARAMETERS, 0x0D00},
        {ERR_NOT_FOUND, 0x2000},        {ERR_STAT_FAILED, 0x2700},   {ERR_RENAME_FAILED, 0x2800},
        {ERR_EXEC_FAILED, 0x2A00},
    };
    for (auto &row : table)
        EXPECT_EQ(row.got, row.want);
}
