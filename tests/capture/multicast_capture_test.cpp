// "Multicast Received" through the view's command, each test in a network namespace of its
// own: what the file holds, what ends or refuses a capture, and closing the window under it.
#include <sys/stat.h>

#include <QLineEdit>
#include <optional>
#include <thread>

#include "capture_fixture.h"
#include "files.h"
#include "network_namespace.h"
#include "sender_namespace.h"
#include "test_stream.h"
#include "threads.h"

namespace {

constexpr char kGroup[] = "228.7.7.7";
constexpr unsigned kPort = 8001;

[[maybe_unused]] const bool kOwnNetwork = RunInNetworkNamespace("MulticastCapture");

class MulticastCapture : public CaptureTest {
protected:
    void SetUp() override {
        g_strGroupIP = "";
        if (!WhyNoNetworkNamespace().empty()) {
            GTEST_SKIP() << WhyNoNetworkNamespace();
        }
    }
    // The dialog's group replaced and its port typed, when given, then Enter.
    void Multicast(const char* group = nullptr, const char* port = nullptr) {
        Command(ID_MULTICAST_RECEIVED, port, ModalDriver::End::Enter, [group](QDialog* dialog) {
            if (group != nullptr) {
                // Port, then group: each control was lowered below those made before.
                dialog->findChildren<QLineEdit*>().at(1)->setText(group);
            }
        });
    }
    std::string Path() const { return m_prefix.m_path + "/drives/d/receivedMulticast.ts"; }
    // Holds size bytes; 0 once a member, as the thread then creates the file.
    bool FileHolds(size_t size) {
        return WaitUntil([&] { return FileSize(Path()) == static_cast<long long>(size); });
    }
    // Starts a capture as Multicast does; true once it is a member.
    bool Joined(const char* group = nullptr, const char* port = nullptr) {
        Multicast(group, port);
        return FileHolds(0);
    }
    // The thread's exit code once it has ended and said as much as `messages`.
    DWORD Ended(size_t messages = 0) {
        DWORD code = STILL_ACTIVE;
        EXPECT_TRUE(WaitUntil([&] {
            return GetExitCodeThread(m_pView->Thread(), &code) && code != STILL_ACTIVE &&
                   m_driver.m_messages.size() >= messages;
        }));
        return code;
    }

    // A host with two networks that both carry group 232.1.1.1: s1-r1 and s2-r2 (see
    // SenderNamespace). Empty once made; otherwise why not.
    std::string MakeNetworks() { return m_senders.emplace().WhyNot(); }
    // Sends count datagrams of payload from source out of link.
    void Send(const char* link, const char* source, const std::string& payload, int count,
              const char* to = "232.1.1.1") {
        const int s = m_senders->MakeSender(link, source);
        ASSERT_GE(s, 0);
        EXPECT_EQ(SendDatagrams(s, to, 5004, payload, count), count);
        close(s);
    }
    // Closes the window once the file holds size bytes and the capture has said something;
    // returns the end line.
    std::string CloseOnceSaid(size_t size) {
        EXPECT_TRUE(FileHolds(size)) << FileSize(Path());
        EXPECT_TRUE(WaitUntil([&] { return !m_driver.m_messages.empty(); }));
        return Close();
    }

    UdpSender m_sender{kPort, kGroup};
    std::optional<SenderNamespace> m_senders;
};

TEST_F(MulticastCapture, AUnicastPortOfZeroEndsTheCaptureAfterItsNextDatagram) {
    ASSERT_TRUE(Joined());
    std::string sent = m_sender.Send(1316);
    ASSERT_TRUE(FileHolds(sent.size())) << "the capture waits for the next";
    Command(ID_UNICAST_RECEIVED, "0");
    sent += m_sender.Send(500);
    EXPECT_EQ(Ended(), 1u);
    EXPECT_TRUE(ReadFile(Path()) == sent);
}

// The user-interface thread does not come back to its event loop before the window goes, so
// the box the thread asks for about an empty datagram waits for it.
TEST_F(MulticastCapture, ClosingWhileTheCaptureAsksForABoxNeitherHangsNorLosesTheFile) {
    ASSERT_TRUE(Joined());
    const std::string sent = m_sender.Send(1316);
    ASSERT_TRUE(FileHolds(sent.size()));
    m_sender.Send(0);
    // The thread closes its file just before it asks: from then on another may have it alone.
    HANDLE alone = INVALID_HANDLE_VALUE;
    for (int i = 0; i < 500 && alone == INVALID_HANDLE_VALUE; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));  // events are not run
        alone = CreateFileA("d:\\receivedMulticast.ts", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                            nullptr);
    }
    ASSERT_NE(alone, INVALID_HANDLE_VALUE);
    CloseHandle(alone);
    alarm(10);  // a hang ends the test program
    m_pView.reset();
    alarm(0);
    QCoreApplication::processEvents();  // a box still on its way would show now
    EXPECT_TRUE(m_driver.m_messages.empty()) << m_driver.m_messages.front();
    EXPECT_TRUE(ReadFile(Path()) == sent);
}

// The second start shows the way stays open after a failed one.
TEST_F(MulticastCapture, ACaptureThatCannotStartSaysWhyAtOnceAndRecordsNothing) {
    Multicast("10.1.2.3");
    EXPECT_EQ(Ended(1), 0u);
    EXPECT_EQ(m_driver.m_messages, Messages{"Could not Add member!"});
    EXPECT_EQ(FileSize(Path()), -1) << "no file before the join";
    m_driver.m_messages.clear();
    std::filesystem::create_directories(m_prefix.m_path + "/drives/d");
    ASSERT_EQ(mkfifo(Path().c_str(), 0600), 0);
    Multicast(kGroup);
    EXPECT_EQ(Ended(1), 0u);
    EXPECT_EQ(m_driver.m_messages,
              Messages{"Open file is error !\nThe file is a pipe that no program reads (error = "
                       "233): start its reader first."});
}

// Sent back to back, so that the good ones and the bad one share one read.
TEST_F(MulticastCapture, ADatagramThatCannotBeReadWholeEndsTheCaptureKeepingWhatCameBefore) {
    ASSERT_TRUE(Joined());
    std::string sent = m_sender.Send(4096);
    sent += m_sender.Send(7);
    m_sender.Send(4097);
    m_sender.Send(10);
    EXPECT_EQ(Ended(1), 0u);
    EXPECT_EQ(m_driver.m_messages, Messages{"Could not Receive Message!"});
    EXPECT_TRUE(ReadFile(Path()) == sent);
}

// The test stream, three datagrams skipped by its sender, and the writes slowed as on a slow
// stick or share: the first write is under way when the window closes, the rest wait in the
// socket's queue. The end line puts the skips before this host.
TEST_F(MulticastCapture, ClosingTheWindowMidStreamWritesEveryDatagramReadAndSaysSoTruly) {
    ASSERT_TRUE(Joined());
    SetWriteDelayForTesting(300);
    std::string sent;
    const auto stream = MakeTestStream(300, true);
    for (size_t i = 0; i < stream.size(); ++i) {
        sent += i != 51 && i != 122 && i != 203 ? m_sender.SendBytes(stream[i]) : "";
    }
    ASSERT_TRUE(WaitUntil([&] { return FileSize(Path()) > 0; }));
    const std::string end = Close();
    SetWriteDelayForTesting(0);
    EXPECT_TRUE(ReadFile(Path()) == sent) << FileSize(Path()) << " of " << sent.size();
    EXPECT_THAT(end, HasSubstr(": 394416 bytes in 297 datagrams written; 0 datagrams lost (0 "
                               "receive buffer full, 0 longer than 4096 bytes, 0 not written); "
                               "lost here 0 datagrams; lost before this host 3 datagrams (RTP "
                               "sequence numbers)"));
}

TEST_F(MulticastCapture, PortZeroStartsNoCaptureAndKeepsTheLastRecording) {
    KeepLastRecording(Path());
    Multicast(kGroup, "0");
    EXPECT_EQ(m_pView->Thread(), nullptr);
    EXPECT_TRUE(m_driver.m_messages.empty());
    EXPECT_EQ(ReadFile(Path()), "the last capture");
}

TEST_F(MulticastCapture, TheInterfaceAndTheSourceNamedAreAllTheFileHoldsAndStraysAreSaidOnce) {
    if (const std::string why = MakeNetworks(); !why.empty()) {
        GTEST_SKIP() << why;
    }
    ASSERT_TRUE(RunHere("ip addr add 10.2.0.2/24 dev r2"));
    ASSERT_TRUE(Joined(" 10.1.0.3 @ 232.1.1.1 % r1 ", "5004"));
    Send("s2", "10.2.0.1", "b", 10);             // the group on the other network
    Send("s1", "10.1.0.1", "o", 10);             // the group from another source
    Send("s2", "10.2.0.1", "u", 2, "10.2.0.2");  // to the port, but not to the group
    Send("s1", "10.1.0.3", "n", 4);
    const std::string end = CloseOnceSaid(4);
    EXPECT_EQ(ReadFile(Path()), "nnnn");
    EXPECT_EQ(m_driver.m_messages,
              Messages{"Datagrams not for the group = 2 ! They reached port 5004 but were not "
                       "sent to 232.1.1.1 by 10.1.0.3; they are not written. The capture goes "
                       "on."});
    EXPECT_THAT(end, HasSubstr("4 bytes in 4 datagrams written; 0 datagrams lost (0 receive "
                               "buffer full, 0 longer than 4096 bytes, 0 not written); lost here "
                               "0 datagrams"));
    EXPECT_THAT(end, HasSubstr("; 2 not for the group\n"));
}

TEST_F(MulticastCapture, TwoSendersToTheGroupAreSaidOnceAndBothRecorded) {
    if (const std::string why = MakeNetworks(); !why.empty()) {
        GTEST_SKIP() << why;
    }
    ASSERT_TRUE(Joined("232.1.1.1%r1", "5004"));
    Send("s1", "10.1.0.1", "a", 3);
    Send("s1", "10.1.0.3", "b", 3);
    Send("s1", "10.1.0.1", "a", 3);
    const std::string end = CloseOnceSaid(9);
    EXPECT_EQ(ReadFile(Path()), "aaabbbaaa");
    EXPECT_EQ(m_driver.m_messages,
              Messages{"More than one sender ! 10.1.0.1 and 10.1.0.3 both send to 232.1.1.1:5004, "
                       "and the file interleaves their streams. The capture goes on."});
    EXPECT_THAT(end, HasSubstr("; senders 10.1.0.1 and 10.1.0.3\n"));
}

}  // namespace
