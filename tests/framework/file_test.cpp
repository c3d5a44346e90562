#include "file.h"

#include <gtest/gtest.h>

#include "temp_prefix.h"

namespace {

// D:\X.TS open for writing, three bytes written; a second CFile for the same file.
class FileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_first.Open("d:\\x.ts", CFile::modeCreate | CFile::modeWrite));
        m_first.Write("abc", 3);
    }
    const TempPrefix m_prefix;
    CFile m_first, m_second;
};

TEST_F(FileTest, ASecondOpenIsASharingViolationAndLeavesTheFileAsItWas) {
    CFileException error(CFileException::none, 0);
    EXPECT_FALSE(m_second.Open("D:\\X.TS", CFile::modeCreate | CFile::modeWrite, &error));
    EXPECT_TRUE(error.m_cause == CFileException::sharingViolation && error.m_lOsError == 32);
    m_first.Close();
    EXPECT_EQ(FileSize(m_prefix.m_path + "/drives/d/x.ts"), 3) << "not emptied by the failed open";
}

TEST_F(FileTest, WritingToAFileThatDidNotOpenThrowsAnInvalidHandle) {
    EXPECT_FALSE(m_second.Open("D:\\X.TS", CFile::modeCreate | CFile::modeWrite));
    try {
        m_second.Write("abc", 3);
        ADD_FAILURE() << "no exception";
    } catch (CFileException* e) {
        EXPECT_EQ(e->m_lOsError, 6);
        e->Delete();
    }
}

}  // namespace
