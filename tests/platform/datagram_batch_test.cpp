#include "datagram_batch.h"

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "files.h"
#include "win_error.h"

namespace {

class DatagramBatchTest : public testing::Test {
protected:
    void SetUp() override {
        m_receiver = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        m_sender = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        m_address.sin_family = AF_INET;
        m_address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ASSERT_EQ(bind(m_receiver, reinterpret_cast<sockaddr*>(&m_address), sizeof m_address), 0);
        socklen_t length = sizeof m_address;
        getsockname(m_receiver, reinterpret_cast<sockaddr*>(&m_address), &length);
    }
    void TearDown() override {
        close(m_receiver);
        close(m_sender);
    }
    std::string Send(size_t size, char fill) {
        const std::string data(size, fill);
        sendto(m_sender, data.data(), size, 0, reinterpret_cast<sockaddr*>(&m_address),
               sizeof m_address);
        return data;
    }

    SOCKET m_receiver = INVALID_SOCKET;
    int m_sender = -1;
    sockaddr_in m_address{};
};

TEST_F(DatagramBatchTest, TakesWhatIsHeldAndReportsABadDatagramAfterTheGoodOnes) {
    DatagramBatch batch(100, 4);
    for (const size_t bad : {size_t{101}, size_t{0}}) {
        Send(100, 'a');
        Send(1, 'b');
        Send(bad, 'c');
        Send(5, 'd');
        ASSERT_EQ(batch.Receive(m_receiver), 2) << bad;
        EXPECT_EQ(batch.GetBytes(), 101u);
        SetLastError(0);
        const int n = batch.Receive(m_receiver);
        if (bad == 0) {
            EXPECT_EQ(n, 0);
        } else {
            EXPECT_EQ(n, SOCKET_ERROR);
            EXPECT_EQ(GetLastError(), WSAEMSGSIZE);
        }
        Send(7, 'e');  // the 'd' after the bad one went with its read
        ASSERT_EQ(batch.Receive(m_receiver), 1);
        EXPECT_EQ(batch.GetBytes(), 7u);
    }
    shutdown(m_receiver, SD_RECEIVE);
    EXPECT_EQ(batch.Receive(m_receiver), SOCKET_ERROR);
    EXPECT_EQ(GetLastError(), WSAESHUTDOWN);
}

TEST_F(DatagramBatchTest, AFailedWriteLeavesWholeBatchesOnly) {
    char folder[] = "/tmp/vandrel-batch-XXXXXX";
    const std::string path = std::string(mkdtemp(folder)) + "/drives/d/out.ts";
    setenv("VANDREL_PREFIX", folder, 1);
    const HANDLE file =
        CreateFileA("d:\\out.ts", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DatagramBatch batch(2000, 8);
    std::string first = Send(1500, 'x');
    first += Send(1500, 'y');
    ASSERT_EQ(batch.Receive(m_receiver), 2);
    ASSERT_TRUE(batch.Write(file));

    signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limit = saved;
    limit.rlim_cur = 4000;
    setrlimit(RLIMIT_FSIZE, &limit);
    Send(1500, 'z');
    Send(1500, 'w');
    ASSERT_EQ(batch.Receive(m_receiver), 2);
    EXPECT_FALSE(batch.Write(file));
    EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
    setrlimit(RLIMIT_FSIZE, &saved);

    const std::string last = Send(10, 'v');
    ASSERT_EQ(batch.Receive(m_receiver), 1);
    ASSERT_TRUE(batch.Write(file));
    CloseHandle(file);
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    EXPECT_TRUE(content.str() == first + last);
    unsetenv("VANDREL_PREFIX");
    std::filesystem::remove_all(folder);
}

}  // namespace
