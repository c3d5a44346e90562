// "Multicast Received" through the view's command, the real dialog, thread and sockets, in a
// network namespace of the test's own.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <random>
#include <thread>

#include "files.h"
#include "modal_driver.h"
#include "network_namespace.h"
#include "resource.h"
#include "temp_prefix.h"
#include "threads.h"
#include "udp_sender.h"
#include "vandrel_view.h"
#include "wait.h"

namespace {

constexpr char kGroup[] = "228.7.7.7";
constexpr unsigned kPort = 8001;

[[maybe_unused]] const bool kOwnNetwork = RunInNetworkNamespace("MulticastCapture");

class TestView : public CVandrelView {
public:
    HANDLE Thread() const { return m_hThread; }
};

// Aborts the test program when a step that must return promptly hangs instead.
class Watchdog {
public:
    explicit Watchdog(int seconds)
        : m_thread([this, seconds] {
              std::unique_lock<std::mutex> hold(m_lock);
              if (!m_done.wait_for(hold, std::chrono::seconds(seconds),
                                   [this] { return m_over; })) {
                  std::fprintf(stderr, "hung for %d s\n", seconds);
                  std::abort();
              }
          }) {}
    ~Watchdog() {
        {
            const std::lock_guard<std::mutex> hold(m_lock);
            m_over = true;
        }
        m_done.notify_all();
        m_thread.join();
    }

private:
    std::mutex m_lock;
    std::condition_variable m_done;
    bool m_over = false;
    std::thread m_thread;
};

class MulticastCapture : public testing::Test {
protected:
    void SetUp() override {
        if (!WhyNoNetworkNamespace().empty()) {
            GTEST_SKIP() << WhyNoNetworkNamespace();
        }
        g_nRecvPort = 0;
        g_strGroupIP = "";
        m_pView = new TestView;
    }
    void TearDown() override { DestroyView(); }

    // The command as the frame routes it, the dialog's fields replaced when given, then Enter.
    void Command(const char* group = nullptr, const char* port = nullptr) {
        m_driver.m_onDialog = [=](QDialog* dialog) {
            // Address, then port: each control was lowered below those made before.
            const auto edits = dialog->findChildren<QLineEdit*>();
            ASSERT_EQ(edits.size(), 2);
            if (group != nullptr) {
                edits[1]->setText(group);
            }
            if (port != nullptr) {
                edits[0]->setText(port);
            }
        };
        m_driver.AnswerDialog("", ModalDriver::End::Enter, false);
        m_pView->SendMessage(WM_COMMAND, ID_MULTICAST_RECEIVED);
    }
    // Started and joined: the thread creates the file only once it is a member.
    void CommandAndWaitJoined(const char* group = nullptr, const char* port = nullptr) {
        std::filesystem::remove(Path());
        Command(group, port);
        ASSERT_NE(m_pView->Thread(), nullptr);
        ASSERT_TRUE(WaitUntil([&] { return FileSize(Path()) >= 0; })) << "no capture file";
    }
    bool Ended() const { return WaitForSingleObject(m_pView->Thread(), 0) == WAIT_OBJECT_0; }
    DWORD ExitCode() const {
        DWORD code = 0;
        GetExitCodeThread(m_pView->Thread(), &code);
        return code;
    }
    std::string Path() const { return m_prefix.m_path + "/drives/d/receivedMulticast.ts"; }
    bool WaitForFileSize(size_t size) {
        return WaitUntil([&] { return FileSize(Path()) == static_cast<long long>(size); });
    }
    void DestroyView() {
        delete m_pView;
        m_pView = nullptr;
    }

    TempPrefix m_prefix;
    ModalDriver m_driver;
    TestView* m_pView = nullptr;
};

TEST_F(MulticastCapture, EnterOnTheUntouchedDialogCapturesTheStreamByteForByte) {
    CommandAndWaitJoined();
    EXPECT_EQ(std::string(g_strGroupIP), kGroup);
    EXPECT_EQ(g_nRecvPort.load(), kPort);
    UdpSender sender(kPort, kGroup);
    std::mt19937 random(9);
    std::string sent;
    for (int i = 0; i < 300; ++i) {
        sent += sender.Send(1 + random() % 4096);
        if (i % 50 == 0) {
            ASSERT_TRUE(WaitForFileSize(sent.size()));  // some alone, some in batches
        }
    }
    ASSERT_TRUE(WaitForFileSize(sent.size())) << FileSize(Path()) << " of " << sent.size();
    EXPECT_FALSE(Ended());
    DestroyView();
    EXPECT_TRUE(ReadFile(Path()) == sent);
    EXPECT_TRUE(m_driver.m_messages.empty());
}

TEST_F(MulticastCapture, AUnicastDialogWithPortZeroEndsItAfterTheNextDatagram) {
    CommandAndWaitJoined();
    UdpSender sender(kPort, kGroup);
    std::string sent = sender.Send(1000);
    ASSERT_TRUE(WaitForFileSize(sent.size()));

    m_driver.m_onDialog = nullptr;
    m_driver.AnswerDialog("0", ModalDriver::End::Enter);
    m_pView->SendMessage(WM_COMMAND, ID_UNICAST_RECEIVED);
    EXPECT_EQ(g_nRecvPort.load(), 0u);
    WaitUntil([] { return false; }, 200);
    EXPECT_FALSE(Ended()) << "a waiting receive goes on waiting";

    sent += sender.Send(500);
    ASSERT_TRUE(WaitUntil([&] { return Ended(); }));
    EXPECT_EQ(ExitCode(), 1u);
    EXPECT_TRUE(ReadFile(Path()) == sent);
    EXPECT_TRUE(m_driver.m_messages.empty());
}

TEST_F(MulticastCapture, PortZeroMakesAnEmptyFileAndEndsThenEveryLaterCommandIsRefused) {
    CommandAndWaitJoined(kGroup, "0");
    ASSERT_TRUE(WaitUntil([&] { return Ended(); }));
    EXPECT_EQ(ExitCode(), 1u);
    EXPECT_EQ(FileSize(Path()), 0);

    Command("239.1.2.3", "5000");
    EXPECT_EQ(std::string(g_strGroupIP), "239.1.2.3");
    EXPECT_EQ(g_nRecvPort.load(), 5000u);
    ASSERT_TRUE(WaitUntil([&] { return !m_driver.m_messages.empty(); }));
    EXPECT_EQ(m_driver.m_messages, std::vector<std::string>{"Could not create receive Thread!"});
}

TEST_F(MulticastCapture, CancelAndAnyEndButOkChangeNothing) {
    g_nRecvPort = 77;
    m_driver.AnswerDialog("", ModalDriver::End::Escape, false);
    m_pView->SendMessage(WM_COMMAND, ID_MULTICAST_RECEIVED);
    m_driver.m_onDialog = [](QDialog* dialog) { dialog->done(7); };
    m_driver.AnswerDialog("", ModalDriver::End::None, false);
    m_pView->SendMessage(WM_COMMAND, ID_MULTICAST_RECEIVED);
    EXPECT_EQ(g_nRecvPort.load(), 77u);
    EXPECT_EQ(std::string(g_strGroupIP), "");
    EXPECT_EQ(m_pView->Thread(), nullptr);
}

TEST_F(MulticastCapture, AUnicastAddressOrTextThatIsNoAddressCannotBeJoined) {
    for (const char* group : {"10.1.2.3", "group seven"}) {
        m_driver.m_messages.clear();
        Command(group, "8001");
        ASSERT_NE(m_pView->Thread(), nullptr);
        ASSERT_TRUE(WaitUntil([&] { return Ended() && !m_driver.m_messages.empty(); })) << group;
        EXPECT_EQ(ExitCode(), 0u);
        EXPECT_EQ(m_driver.m_messages, std::vector<std::string>{"Could not Add member!"});
        EXPECT_EQ(FileSize(Path()), -1) << "no file before the join";
        DestroyView();
        m_pView = new TestView;
    }
}

TEST_F(MulticastCapture, ALongOrEmptyDatagramEndsItAndKeepsWhatCameBefore) {
    for (const size_t bad : {size_t{4097}, size_t{0}}) {
        m_driver.m_messages.clear();
        CommandAndWaitJoined();
        UdpSender sender(kPort, kGroup);
        std::string sent = sender.Send(100);
        ASSERT_TRUE(WaitForFileSize(sent.size()));
        // Back to back, so that the good ones and the bad one share one read.
        sent += sender.Send(4096);
        sent += sender.Send(7);
        sender.Send(bad);
        sender.Send(10);
        ASSERT_TRUE(WaitUntil([&] { return Ended() && !m_driver.m_messages.empty(); })) << bad;
        EXPECT_EQ(ExitCode(), 0u);
        EXPECT_EQ(m_driver.m_messages, std::vector<std::string>{"Could not Receive Message!"});
        EXPECT_TRUE(ReadFile(Path()) == sent) << bad;
        DestroyView();
        m_pView = new TestView;
    }
}

TEST_F(MulticastCapture, AnotherGroupJoinedOnTheHostOnTheSamePortStaysOut) {
    CommandAndWaitJoined();
    const int other = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const int one = 1;
    setsockopt(other, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(kPort);
    ASSERT_EQ(bind(other, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ip_mreq mreq{};
    mreq.imr_multiaddr.s_addr = inet_addr("228.8.8.8");
    ASSERT_EQ(setsockopt(other, IPPROTO_IP, IP_ADD_MEMBERSHIP, &mreq, sizeof mreq), 0);

    UdpSender(kPort, "228.8.8.8").Send(300);
    const std::string marker = UdpSender(kPort, kGroup).Send(20);
    ASSERT_TRUE(WaitForFileSize(marker.size())) << FileSize(Path());
    char buffer[512];
    EXPECT_EQ(recv(other, buffer, sizeof buffer, MSG_DONTWAIT), 300) << "the other group arrived";
    close(other);
    DestroyView();
    EXPECT_TRUE(ReadFile(Path()) == marker);
}

TEST_F(MulticastCapture, ClosingTheProgramWhileItWaitsEndsItAtOnceWithTheFileComplete) {
    CommandAndWaitJoined();
    UdpSender sender(kPort, kGroup);
    std::string sent;
    for (int i = 0; i < 20; ++i) {
        sent += sender.Send(1316);
    }
    ASSERT_TRUE(WaitForFileSize(sent.size()));
    QElapsedTimer clock;
    clock.start();
    {
        const Watchdog watchdog(10);
        DestroyView();
    }
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_TRUE(ReadFile(Path()) == sent);
    WaitUntil([] { return false; }, 100);
    EXPECT_TRUE(m_driver.m_messages.empty()) << m_driver.m_messages.front();
}

TEST_F(MulticastCapture, ClosingTheProgramWhileTheThreadAsksForAMessageBoxDoesNotHang) {
    CommandAndWaitJoined();
    UdpSender sender(kPort, kGroup);
    const std::string sent = sender.Send(50);
    ASSERT_TRUE(WaitUntil([&] { return FileSize(Path()) == 50; }));
    // The user-interface thread does not come back to its event loop before the view goes,
    // so the thread's box, asked for after the empty datagram, waits for it.
    sender.Send(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    {
        const Watchdog watchdog(10);
        DestroyView();
    }
    WaitUntil([] { return false; }, 100);
    EXPECT_TRUE(m_driver.m_messages.empty()) << m_driver.m_messages.front();
    EXPECT_TRUE(ReadFile(Path()) == sent);
}

TEST_F(MulticastCapture, AFileThatCannotBeCreatedIsReported) {
    // Another holder without sharing: the capture's own create then fails with 32.
    const HANDLE holder = CreateFileA("d:\\receivedMulticast.ts", GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    Command();
    ASSERT_NE(m_pView->Thread(), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return Ended() && !m_driver.m_messages.empty(); }));
    EXPECT_EQ(ExitCode(), 0u);
    EXPECT_EQ(m_driver.m_messages, std::vector<std::string>{"Open file is error !"});
    CloseHandle(holder);
}

}  // namespace
