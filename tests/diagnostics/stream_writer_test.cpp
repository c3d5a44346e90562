#include "stream_writer.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "modal_driver.h"
#include "temp_prefix.h"
#include "wait.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

const std::string kData = "C:\\LOG\\Sen";
const std::vector<std::string> kExit = {"Test_stream_writer exit!"};

class StreamWriter : public testing::Test {
protected:
    StreamWriter() { getrlimit(RLIMIT_FSIZE, &m_fileSize); }
    void TearDown() override {
        m_writer.Stop();
        setrlimit(RLIMIT_FSIZE, &m_fileSize);
        CStreamWriterThread::s_sleep = 400ms;
    }
    // From here on, writes past `bytes` fail with EFBIG, as on a full disk (main ignores SIGXFSZ).
    void LimitFileSize(rlim_t bytes) const {
        const rlimit limit{bytes, m_fileSize.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    std::string Log() const { return m_prefix.m_path + "/drives/c/LOG/SendCommand.log"; }
    void MakeLog(const std::string& contents) const {
        fs::create_directories(fs::path(Log()).parent_path());
        std::ofstream(Log(), std::ios::binary) << contents;
    }
    int LogOpenCount() const {
        int count = 0;
        for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
            std::error_code error;
            count += fs::read_symlink(entry.path(), error) == fs::path(Log()) ? 1 : 0;
        }
        return count;
    }
    // Starts the writer and waits until it has written n times, or, n = 0, until it has ended.
    bool Run(DWORD n, int deadlineMs = 5000) {
        Test_stream_writer(m_writer);
        return WaitUntil(
            [&] { return n == 0 ? !m_writer.IsRunning() : m_writer.GetWriteCount() >= n; },
            deadlineMs);
    }

    rlimit m_fileSize{};
    TempPrefix m_prefix;
    ModalDriver m_driver;
    CStreamWriterThread m_writer;
};

TEST_F(StreamWriter, AnOpenFailureSaysItsCodeAndCreatesNothing) {
    Test_stream_writer(m_writer);
    EXPECT_FALSE(fs::exists(m_prefix.m_path + "/drives/c/LOG"));
    fs::create_directories(m_prefix.m_path + "/drives/c/LOG");
    Test_stream_writer(m_writer);
    EXPECT_FALSE(fs::exists(Log()));
    EXPECT_EQ(m_driver.m_messages,
              (std::vector<std::string>{"Create file error = 3", "Create file error = 2"}));
    EXPECT_FALSE(m_writer.IsRunning());
}

TEST_F(StreamWriter, TheLoopWrites65536TimesEachFollowedByASleepThenSaysItEnded) {
    CStreamWriterThread::s_sleep = 0ms;
    MakeLog("");
    ASSERT_TRUE(Run(0, 40000));
    EXPECT_EQ(m_writer.GetWriteCount(), 65536u);
    EXPECT_EQ(m_writer.GetSleepCount(), 65536u);
    EXPECT_EQ(FileSize(Log()), 655360);
    EXPECT_EQ(m_driver.m_messages, kExit);
}

TEST_F(StreamWriter, AFailedWriteEndsTheLoopWithoutSleepingClosesTheLogAndSaysSo) {
    MakeLog("");
    CStreamWriterThread::s_sleep = 60s;  // taken after the failed write, it would time out
    LimitFileSize(0);
    ASSERT_TRUE(Run(0));
    EXPECT_EQ(m_driver.m_messages, kExit);
    EXPECT_EQ(m_writer.GetWriteCount() + m_writer.GetSleepCount(), 0u);
    EXPECT_EQ(LogOpenCount(), 0);
    CStreamWriterThread::s_sleep = 1ms;
    LimitFileSize(25);
    ASSERT_TRUE(Run(0));
    EXPECT_EQ(m_driver.m_messages.size(), 2u);
    EXPECT_EQ(m_writer.GetWriteCount(), 2u);
    EXPECT_EQ(m_writer.GetSleepCount(), 2u);
}

// The loop has ended by itself and its message waits for this thread, which stops it.
TEST_F(StreamWriter, AStopWhileTheEndMessageWaitsNeitherHangsNorDropsIt) {
    MakeLog("");
    LimitFileSize(0);
    Test_stream_writer(m_writer);
    // Polled, not waited for with WaitUntil: no event may show the end message.
    for (int ms = 0; ms < 5000 && LogOpenCount() != 0; ++ms) {
        std::this_thread::sleep_for(1ms);
    }
    m_writer.Stop();
    EXPECT_EQ(LogOpenCount(), 0);
    ASSERT_TRUE(WaitUntil([&] { return !m_writer.IsRunning(); }));
    EXPECT_EQ(m_driver.m_messages, kExit);
}

// A pipe that nobody drains fills up; the writer then gives up on it instead of holding the
// program's end.
TEST_F(StreamWriter, APipeThatIsNotReadEndsTheLoopSoClosingNeverWaitsForIt) {
    fs::create_directories(fs::path(Log()).parent_path());
    ASSERT_EQ(mkfifo(Log().c_str(), 0600), 0);
    CStreamWriterThread::s_sleep = 0ms;
    ASSERT_TRUE(Run(1));
    // Full after 64 KiB at most, 6,553 writes: the last ones find no room.
    ASSERT_TRUE(WaitUntil([&] { return m_writer.GetWriteCount() >= 6000; }, 20000));
    alarm(10);  // a writer blocked for good ends the test program: it could not end otherwise
    m_writer.Stop();
    alarm(0);
    EXPECT_EQ(LogOpenCount(), 0);
    EXPECT_LT(m_writer.GetWriteCount(), 65536u);
}

}  // namespace
