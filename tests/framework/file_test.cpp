#include "file.h"

#include <gtest/gtest.h>

#include "temp_prefix.h"

namespace {

TEST(File, OpenReportsTheCauseAndWriteThrowsTheWindowsCode) {
    const TempPrefix prefix;
    CFile first;
    ASSERT_TRUE(first.Open("d:\\x.ts", CFile::modeCreate | CFile::modeWrite));
    CFile second;
    CFileException error(CFileException::none, 0);
    EXPECT_FALSE(second.Open("D:\\X.TS", CFile::modeCreate | CFile::modeWrite, &error));
    EXPECT_EQ(error.m_cause, CFileException::sharingViolation);
    EXPECT_EQ(error.m_lOsError, 32);
    LONG thrown = 0;
    try {
        second.Write("abc", 3);
    } catch (CFileException* e) {
        thrown = e->m_lOsError;
        e->Delete();
    }
    EXPECT_EQ(thrown, 6);
    first.Write("abc", 3);
    first.Close();
    EXPECT_EQ(FileSize(prefix.m_path + "/drives/d/x.ts"), 3);
}

}  // namespace
