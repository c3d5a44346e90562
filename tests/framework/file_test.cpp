#include "file.h"

#include <gtest/gtest.h>

#include "temp_prefix.h"

namespace {

TEST(File, OpenReportsTheCauseAndWriteThrowsTheWindowsCode) {
    const TempPrefix prefix;
    CFile first, second;
    ASSERT_TRUE(first.Open("d:\\x.ts", CFile::modeCreate | CFile::modeWrite));
    first.Write("abc", 3);
    CFileException error(CFileException::none, 0);
    EXPECT_FALSE(second.Open("D:\\X.TS", CFile::modeCreate | CFile::modeWrite, &error));
    EXPECT_TRUE(error.m_cause == CFileException::sharingViolation && error.m_lOsError == 32);
    try {
        second.Write("abc", 3);
        ADD_FAILURE() << "no exception";
    } catch (CFileException* e) {
        EXPECT_EQ(e->m_lOsError, 6);
        e->Delete();
    }
    first.Close();
    EXPECT_EQ(FileSize(prefix.m_path + "/drives/d/x.ts"), 3) << "not emptied by the failed open";
}

}  // namespace
