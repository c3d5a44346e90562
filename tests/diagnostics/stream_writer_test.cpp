#include "stream_writer.h"

#include <signal.h>
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <QElapsedTimer>
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

// Writes past this size fail with EFBIG (as a full disk would) while the object lives.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit limit{bytes, m_saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_saved); }

private:
    rlimit m_saved{};
};

class StreamWriter : public testing::Test {
protected:
    void TearDown() override {
        m_writer.Stop();
        CStreamWriterThread::s_sleep = 400ms;
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

TEST_F(StreamWriter, WritesGoOverTheFileFromItsStartAndItGrowsOnlyWhenPassed) {
    CStreamWriterThread::s_sleep = 50ms;
    MakeLog("");
    ASSERT_TRUE(Run(4));
    m_writer.Stop();
    std::string expected;
    for (DWORD i = 0; i < m_writer.GetWriteCount(); ++i) {
        expected += kData;
    }
    EXPECT_EQ(ReadFile(Log()), expected);

    // Stopped within the pause after the third write.
    CStreamWriterThread::s_sleep = 500ms;
    std::string old;
    for (int i = 0; i < 1000; ++i) {
        old += static_cast<char>('a' + i % 26);
    }
    MakeLog(old);
    ASSERT_TRUE(Run(3));
    m_writer.Stop();
    ASSERT_EQ(m_writer.GetWriteCount(), 3u);
    EXPECT_EQ(ReadFile(Log()), kData + kData + kData + old.substr(30));
    EXPECT_TRUE(m_driver.m_messages.empty()) << "a stop is not the loop's end";
}

TEST_F(StreamWriter, AFailedWriteEndsTheLoopWithoutSleepingAndSaysSo) {
    MakeLog("");
    CStreamWriterThread::s_sleep = 60s;  // taken after the failed write, it would time out
    {
        const FileSizeLimit limit(0);
        ASSERT_TRUE(Run(0));
    }
    EXPECT_EQ(m_driver.m_messages, kExit);
    EXPECT_EQ(m_writer.GetWriteCount() + m_writer.GetSleepCount(), 0u);
    EXPECT_EQ(LogOpenCount(), 0);

    CStreamWriterThread::s_sleep = 1ms;
    {
        const FileSizeLimit limit(25);
        ASSERT_TRUE(Run(0));
    }
    EXPECT_EQ(m_driver.m_messages.size(), 2u);
    EXPECT_EQ(m_writer.GetWriteCount(), 2u);
    EXPECT_EQ(m_writer.GetSleepCount(), 2u);
}

TEST_F(StreamWriter, ARunToTheLimitMakes65536WritesEachFollowedByASleep) {
    CStreamWriterThread::s_sleep = 0ms;
    MakeLog("");
    ASSERT_TRUE(Run(0, 40000));
    EXPECT_EQ(m_writer.GetWriteCount(), 65536u);
    EXPECT_EQ(m_writer.GetSleepCount(), 65536u);
    EXPECT_EQ(FileSize(Log()), 655360);
    EXPECT_EQ(m_driver.m_messages, kExit);
}

TEST_F(StreamWriter, ASecondStartStartsNothingAndStopCutsThePauseShort) {
    CStreamWriterThread::s_sleep = 60s;
    MakeLog("");
    ASSERT_TRUE(Run(1));
    Test_stream_writer(m_writer);
    EXPECT_EQ(LogOpenCount(), 1);

    QElapsedTimer clock;
    clock.start();
    m_writer.Stop();
    EXPECT_LT(clock.elapsed(), 10000) << "Stop waited for the pause";
    EXPECT_EQ(m_writer.GetWriteCount(), 1u);
    EXPECT_FALSE(m_writer.IsRunning());
    EXPECT_EQ(LogOpenCount(), 0);
    WaitUntil([] { return false; }, 100);
    EXPECT_TRUE(m_driver.m_messages.empty());
}

// The loop has ended by itself and its message waits for this thread, which is stopping it.
TEST_F(StreamWriter, StopWhileTheEndMessageWaitsNeitherHangsNorDropsIt) {
    MakeLog("");
    {
        const FileSizeLimit limit(0);
        Test_stream_writer(m_writer);
        std::this_thread::sleep_for(300ms);
    }
    m_writer.Stop();
    EXPECT_EQ(LogOpenCount(), 0);
    ASSERT_TRUE(WaitUntil([&] { return !m_writer.IsRunning(); }));
    EXPECT_EQ(m_driver.m_messages, kExit);
}

}  // namespace
