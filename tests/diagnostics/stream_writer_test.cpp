#include "stream_writer.h"

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <filesystem>
#include <fstream>
#include <thread>

#include "capture_test_support.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

const std::string kData = "C:\\LOG\\Sen";
const std::string kExit = "Test_stream_writer exit!";

// A file-size limit for this process while it lives: writes past it fail with EFBIG.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
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
    // How many descriptors of this process refer to the log.
    int LogOpenCount() const {
        int count = 0;
        for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
            std::error_code error;
            count += fs::read_symlink(entry.path(), error) == fs::path(Log()) ? 1 : 0;
        }
        return count;
    }
    bool WaitForWrites(DWORD n) {
        return WaitUntil([&] { return m_writer.GetWriteCount() >= n; });
    }
    std::vector<std::string> Messages() const { return m_driver.m_messages; }

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
    fs::create_directory(Log());  // a folder where the file should be
    Test_stream_writer(m_writer);
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{"Create file error = 3", "Create file error = 2",
                                        "Create file error = 5"}));
    EXPECT_FALSE(m_writer.IsRunning());
}

TEST_F(StreamWriter, WritesGoOverTheFileFromItsStartAndItOnlyGrowsWhenPassed) {
    CStreamWriterThread::s_sleep = 50ms;
    MakeLog("");
    Test_stream_writer(m_writer);
    ASSERT_TRUE(WaitForWrites(4));
    m_writer.Stop();
    std::string expected;
    for (DWORD i = 0; i < m_writer.GetWriteCount(); ++i) {
        expected += kData;
    }
    EXPECT_EQ(ReadFile(Log()), expected);

    // Stopped within the pause after the third write, so there are exactly three.
    CStreamWriterThread::s_sleep = 500ms;
    std::string old(1000, '\0');
    for (std::size_t i = 0; i < old.size(); ++i) {
        old[i] = static_cast<char>('a' + i % 26);
    }
    MakeLog(old);
    Test_stream_writer(m_writer);
    ASSERT_TRUE(WaitForWrites(3));
    m_writer.Stop();
    ASSERT_EQ(m_writer.GetWriteCount(), 3u);
    EXPECT_EQ(ReadFile(Log()), kData + kData + kData + old.substr(30));
    EXPECT_TRUE(Messages().empty()) << "a stop is not the loop's end";
}

TEST_F(StreamWriter, AFailedWriteEndsTheLoopWithoutSleepingAndSaysSo) {
    MakeLog("");
    {
        // Were the 60 s pause taken after the failed first write, the message would be late.
        CStreamWriterThread::s_sleep = 60s;
        const FileSizeLimit limit(0);
        Test_stream_writer(m_writer);
        ASSERT_TRUE(WaitUntil([&] { return !m_writer.IsRunning(); }));
    }
    EXPECT_EQ(Messages(), std::vector<std::string>{kExit});
    EXPECT_EQ(m_writer.GetWriteCount(), 0u);
    EXPECT_EQ(m_writer.GetSleepCount(), 0u);
    EXPECT_EQ(LogOpenCount(), 0);

    {
        CStreamWriterThread::s_sleep = 1ms;
        const FileSizeLimit limit(25);
        Test_stream_writer(m_writer);
        ASSERT_TRUE(WaitUntil([&] { return !m_writer.IsRunning(); }));
    }
    EXPECT_EQ(Messages(), (std::vector<std::string>{kExit, kExit}));
    EXPECT_EQ(m_writer.GetWriteCount(), 2u);
    EXPECT_EQ(m_writer.GetSleepCount(), 2u);
    EXPECT_EQ(FileSize(Log()), 25);
}

TEST_F(StreamWriter, ARunToTheLimitMakes65536WritesEachFollowedByASleep) {
    CStreamWriterThread::s_sleep = 0ms;
    MakeLog("");
    Test_stream_writer(m_writer);
    ASSERT_TRUE(WaitUntil([&] { return !m_writer.IsRunning(); }, 40000));
    EXPECT_EQ(m_writer.GetWriteCount(), 65536u);
    EXPECT_EQ(m_writer.GetSleepCount(), 65536u);
    EXPECT_EQ(FileSize(Log()), 655360);
    EXPECT_EQ(Messages(), std::vector<std::string>{kExit});
}

TEST_F(StreamWriter, ASecondStartStartsNothingAndStopEndsThePausePromptly) {
    CStreamWriterThread::s_sleep = 60s;
    MakeLog("");
    Test_stream_writer(m_writer);
    ASSERT_TRUE(WaitForWrites(1));
    Test_stream_writer(m_writer);
    EXPECT_EQ(LogOpenCount(), 1);
    EXPECT_EQ(m_writer.GetWriteCount(), 1u);

    QElapsedTimer clock;
    clock.start();
    m_writer.Stop();
    EXPECT_LT(clock.elapsed(), 10000) << "Stop waited for the pause";
    EXPECT_FALSE(m_writer.IsRunning());
    EXPECT_EQ(LogOpenCount(), 0);
    WaitUntil([] { return false; }, 100);
    EXPECT_TRUE(Messages().empty());
}

// The loop ended by itself and its message waits for this thread, which is busy stopping.
TEST_F(StreamWriter, StopWhileTheEndMessageWaitsDoesNotHangAndTheMessageStillComes) {
    CStreamWriterThread::s_sleep = 60s;
    MakeLog("");
    {
        const FileSizeLimit limit(0);
        Test_stream_writer(m_writer);
        std::this_thread::sleep_for(300ms);
    }
    m_writer.Stop();
    EXPECT_EQ(LogOpenCount(), 0);
    ASSERT_TRUE(WaitUntil([&] { return !m_writer.IsRunning(); }));
    EXPECT_EQ(Messages(), std::vector<std::string>{kExit});
}

}  // namespace
