// "UniCast Received" and "Multicast Received" as a user runs them: their port dialogs, then the
// view's commands through the real dialogs, sockets, thread and event loop, writing under a fresh
// prefix, message boxes answered and recorded, each multicast test in a network namespace of its
// own. What the file holds, what is refused and said, what ends a capture or fails under it, and
// closing the window.
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <gmock/gmock.h>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <thread>

#include "datagram_receiver.h"
#include "files.h"
#include "modal_driver.h"
#include "multi_cast_d.h"
#include "multicast_receive.h"
#include "network_namespace.h"
#include "resource.h"
#include "sender_namespace.h"
#include "temp_prefix.h"
#include "test_stream.h"
#include "threads.h"
#include "udp_dia.h"
#include "udp_receive_socket.h"
#include "udp_sender.h"
#include "vandrel_view.h"
#include "wait.h"
#include "winsock.h"

namespace {

using End = ModalDriver::End;
using Messages = std::vector<std::string>;
using testing::HasSubstr;

constexpr char kGroup[] = "228.7.7.7";
constexpr unsigned kPort = 8001;

// Opens the dialog, lets look check it or act on it, types port into its port edit (when given)
// and ends it with end.
INT_PTR Answer(CDialog& dialog, End end, const char* port,
               std::function<void(QDialog*)> look = {}) {
    ModalDriver driver;
    driver.m_onDialog = std::move(look);
    driver.AnswerDialog(port ? port : "", end, port != nullptr);
    return dialog.DoModal();
}

TEST(CaptureDialogs, EnterAcceptsTheDigitsTypedAndTheCloseBoxCancels) {
    const struct {
        const char* typed;  // nullptr: the port as offered
        End end;
        INT_PTR result;
        int port;
    } udp[] = {{nullptr, End::Enter, IDOK, 1002},
               {"8a0b0-1", End::Enter, IDOK, 8001},
               {"0065535", End::Enter, IDOK, 65535},
               {"", End::CloseBox, IDCANCEL, 0}};
    for (const auto& c : udp) {
        CUDPDia dialog(nullptr);
        EXPECT_EQ(Answer(dialog, c.end, c.typed), c.result) << c.typed;
        EXPECT_EQ(dialog.m_nPort, c.port) << c.typed;
    }
}

// Pasted or typed, whatever is not a port is said and the dialog stays for a correction; only
// spaces around are forgiven.
template <class Dialog>
void CheckPortsRefused() {
    for (const char* typed : {"70000", "65536", "-5", "4294967297", "abc", "", "80 01"}) {
        Dialog dialog(nullptr);
        ModalDriver driver;
        driver.AnswerDialog("", End::None);
        driver.m_onDialog = [typed](QDialog* shown) {
            shown->findChild<QLineEdit*>()->setText(typed);
            QTest::keyClick(shown, Qt::Key_Return);
            EXPECT_TRUE(shown->isVisible()) << typed;
            shown->reject();
        };
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        EXPECT_EQ(driver.m_messages, Messages{"Port is error = \"" + std::string(typed) +
                                              "\" ! A port is a whole number from 0 to 65535."});
        EXPECT_EQ(dialog.m_nPort, 0) << typed;
    }
    Dialog spaced(nullptr);
    EXPECT_EQ(Answer(spaced, End::Enter, nullptr,
                     [](QDialog* shown) { shown->findChild<QLineEdit*>()->setText(" 5004 "); }),
              IDOK);
    EXPECT_EQ(spaced.m_nPort, 5004);
}

TEST(CaptureDialogs, APortThatIsNotAWholeNumberUpTo65535IsRefusedWithAMessage) {
    CheckPortsRefused<CUDPDia>();
    CheckPortsRefused<CMultiCastD>();
}

class CaptureTest : public testing::Test {
protected:
    class View : public CVandrelView {
    public:
        CUdpReceiveSocket* Socket() const { return m_hSocket; }
        HANDLE Thread() const { return m_hThread; }
    };

    CaptureTest() {
        g_nRecvPort = 0;
        g_nRecvFill = 0;
        g_strGroupIP = "";
    }
    ~CaptureTest() override { SetDatagramQueueBytes(0); }

    // The command; its dialog gets onDialog first, then typed in its first edit (when given),
    // then end.
    void Command(UINT nID, const char* typed, ModalDriver::End end = ModalDriver::End::Enter,
                 std::function<void(QDialog*)> onDialog = {}) {
        m_driver.m_onDialog = std::move(onDialog);
        m_driver.AnswerDialog(typed != nullptr ? typed : "", end, typed != nullptr);
        m_pView->SendMessage(WM_COMMAND, nID);
    }
    // What an earlier capture left at path.
    static void KeepLastRecording(const std::string& path) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << "the last capture";
    }
    // Closes the window; returns what the captures said on standard error as they ended.
    std::string Close() {
        testing::internal::CaptureStderr();
        m_pView.reset();
        return testing::internal::GetCapturedStderr();
    }

    void Unicast(const std::string& port) { Command(ID_UNICAST_RECEIVED, port.c_str()); }
    // Captures on a free port through a queue of queueBytes (0: the program's own), m_sender
    // sending to it.
    void Start(int queueBytes = 0) {
        SetDatagramQueueBytes(queueBytes);
        Unicast("0");
        m_sender.emplace(BoundPort());
    }
    unsigned BoundPort() const {
        CString address;
        UINT port = 0;
        return m_pView->Socket() && m_pView->Socket()->GetSockName(address, port) ? port : 0;
    }
    // The capture's bytes: in the file and held for the next block.
    long long Captured() const {
        return std::max(FileSize(m_prefix.CapturePath()), 0LL) + g_nRecvFill;
    }
    // Sends count datagrams of size bytes; returns them once the capture holds them and no
    // box is open.
    std::string SendAndWait(size_t size, int count) {
        const long long expected = Captured() + static_cast<long long>(size) * count;
        std::string sent;
        for (int i = 0; i < count; ++i) {
            sent += m_sender->Send(size);
        }
        EXPECT_TRUE(WaitUntil([&] {
            return Captured() == expected && QApplication::activeModalWidget() == nullptr;
        })) << Captured()
            << " of " << expected;
        return sent;
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
    std::string MulticastPath() const { return m_prefix.m_path + "/drives/d/receivedMulticast.ts"; }
    // Holds size bytes; 0 once a member, as the thread then creates the file.
    bool FileHolds(size_t size) {
        return WaitUntil([&] { return FileSize(MulticastPath()) == static_cast<long long>(size); });
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
        EXPECT_TRUE(FileHolds(size)) << FileSize(MulticastPath());
        EXPECT_TRUE(WaitUntil([&] { return !m_driver.m_messages.empty(); }));
        return Close();
    }

    TempPrefix m_prefix;
    ModalDriver m_driver;
    std::unique_ptr<View> m_pView = std::make_unique<View>();
    std::optional<UdpSender> m_sender;
    std::optional<SenderNamespace> m_senders;
};

using UnicastCapture = CaptureTest;

[[maybe_unused]] const bool kOwnNetwork = RunInNetworkNamespace("MulticastCapture");

class MulticastCapture : public CaptureTest {
protected:
    void SetUp() override {
        if (!WhyNoNetworkNamespace().empty()) {
            GTEST_SKIP() << WhyNoNetworkNamespace();
        }
        m_sender.emplace(kPort, kGroup);
    }
};

TEST_F(UnicastCapture, AFullDiskDropsTheBlocksThatDidNotFitSaysSoOnceAndTheCaptureGoesOn) {
    Start();
    std::string kept = SendAndWait(1000, 66);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit full{100000, saved.rlim_max};  // the next block fits only in part
    setrlimit(RLIMIT_FSIZE, &full);
    for (int block = 0; block < 2; ++block) {
        SendAndWait(1000, 65);
        m_sender->Send(1000);  // the 66th hands the block to the file
        EXPECT_TRUE(WaitUntil([] { return g_nRecvFill == 0; }));
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(FileSize(m_prefix.CapturePath()), 66000) << "what fitted of a block is cut off";
    kept += SendAndWait(1000, 66);
    const std::string end = Close();
    EXPECT_TRUE(ReadFile(m_prefix.CapturePath()) == kept);
    EXPECT_EQ(m_driver.m_messages,
              Messages{"Write file is error = 112 ! 66000 bytes received are dropped."});
    EXPECT_THAT(end, HasSubstr("132000 bytes in 132 datagrams written; 132 datagrams lost (0 "
                               "receive buffer full, 0 longer than 15040 bytes, 132 not written: "
                               "write error = 112)"));
}

// A datagram of 15,040 bytes is read whole and an empty one is no loss; a longer one is.
TEST_F(UnicastCapture, DatagramsLongerThan15040BytesAreCountedLostAndSaidOnce) {
    Start();
    std::string kept;
    for (int round = 0; round < 2; ++round) {
        m_sender->Send(15041);
        m_sender->Send(0);
        kept += SendAndWait(15040, 1);
    }
    EXPECT_EQ(m_driver.m_messages,
              Messages{"Datagrams are lost = 1 ! 0 arrived while the receive buffer was full, 1 "
                       "were longer than 15040 bytes. The capture goes on."});
    const std::string end = Close();
    EXPECT_TRUE(ReadFile(m_prefix.CapturePath()) == kept);
    EXPECT_THAT(end, HasSubstr("2 datagrams lost (0 receive buffer full, 2 longer than 15040"));
}

TEST_F(UnicastCapture, AReadThatFailsEndsTheCaptureAndWritesWhatWasHeldAtOnce) {
    Start();
    const std::string held = SendAndWait(1000, 10);
    // The socket's descriptor now names something that cannot be read as a socket.
    const int notASocket = open("/dev/null", O_RDONLY | O_CLOEXEC);
    ASSERT_GE(dup2(notASocket, m_pView->Socket()->m_hSocket), 0);
    close(notASocket);
    m_sender->Send(1000);
    ASSERT_TRUE(WaitUntil([&] { return !m_driver.m_messages.empty(); }));
    EXPECT_TRUE(ReadFile(m_prefix.CapturePath()) == held);
    EXPECT_EQ(m_driver.m_messages,
              Messages{"Receive is error = 10038 ! No more datagrams are captured; what was "
                       "received is kept in the file."});
}

// Each start over the recording of an earlier capture, each refusal undone before the next: the
// last start shows the way stays open.
TEST_F(UnicastCapture, AStartThatIsRefusedSaysWhyAndKeepsTheLastRecording) {
    const std::string path = m_prefix.CapturePath();
    KeepLastRecording(path);
    // No capture runs, message alone was said, and the last recording stays as it was.
    const auto expectRefused = [&](const std::string& message) {
        EXPECT_EQ(m_pView->Socket(), nullptr);
        EXPECT_EQ(m_driver.m_messages, Messages{message});
        m_driver.m_messages.clear();
        EXPECT_EQ(ReadFile(path), "the last capture");
    };
    // A port another program holds.
    const int blocker = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{AF_INET, 0, {}, {}};
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(blocker, reinterpret_cast<sockaddr*>(&address), length), 0);
    getsockname(blocker, reinterpret_cast<sockaddr*>(&address), &length);
    const std::string taken = std::to_string(ntohs(address.sin_port));
    Unicast(taken);
    close(blocker);
    expectRefused("Could not Create UDP Port " + taken + ", error = 10048 !");
    // Port 1 is refused for a user without the right to ports below the first free one; root
    // loses that right on this thread, where the view binds.
    if (const std::string firstFree = std::to_string(GetUnprivilegedPortStart());
        GetUnprivilegedPortStart() > 1) {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct caps[2]{};
        ASSERT_EQ(syscall(SYS_capget, &header, caps), 0);
        caps[0].effective &= ~(1u << CAP_NET_BIND_SERVICE);
        ASSERT_EQ(syscall(SYS_capset, &header, caps), 0);
        Unicast("1");
        caps[0].effective = caps[0].permitted;
        syscall(SYS_capset, &header, caps);
        expectRefused(
            "Could not Create UDP Port 1, error = 5 !\nOn Linux only a privileged program "
            "may use a port below " +
            firstFree + ": choose a port from " + firstFree +
            " up, or allow the program these ports (see \"Ports below 1024\" in man "
            "vandrel).");
    }
    if (geteuid() == 0) {  // giving the prefix folder to another user needs root
        ASSERT_EQ(chown(m_prefix.m_path.c_str(), 65534, 65534), 0);
        Unicast("0");
        ASSERT_EQ(chown(m_prefix.m_path.c_str(), 0, 0), 0);
        expectRefused("Open file is error !\nThe folder " + m_prefix.m_path +
                      " belongs to another user; the program writes only into folders of its own "
                      "(set VANDREL_PREFIX to one).");
    }
#if !defined(__SANITIZE_ADDRESS__)  // the sanitizers' own checks need descriptors of their own
    const int lowestFree = open("/dev/null", O_RDONLY | O_CLOEXEC);
    close(lowestFree);
    rlimit saved{};
    getrlimit(RLIMIT_NOFILE, &saved);
    // No new descriptor: an open takes the lowest free number, which is then out of reach.
    const rlimit none{static_cast<rlim_t>(lowestFree), saved.rlim_max};
    setrlimit(RLIMIT_NOFILE, &none);
    Unicast("0");
    setrlimit(RLIMIT_NOFILE, &saved);
    expectRefused(
        "Open file is error !\nThe program has run out of file descriptors (error = 4): close "
        "other captures or raise the limit (ulimit -n).");
#endif
    // A file another program holds.
    const HANDLE holder =
        CreateFileA("d:\\ReceivedUDP.ts", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    Unicast("0");
    CloseHandle(holder);
    expectRefused("Open file is error !");
    std::filesystem::rename(path, path + ".kept");
    std::filesystem::create_symlink("/dev/null", path);
    Unicast("0");
    std::filesystem::rename(path + ".kept", path);
    expectRefused("Open file is error !\nThe file is neither a file nor a pipe (error = 50).");
    Unicast("0");
    EXPECT_NE(BoundPort(), 0u);
}

// Escape, or a dialog ended with neither OK nor Cancel: the port has no value.
TEST_F(UnicastCapture, EndingEitherCapturesDialogOtherwiseThanByOkChangesNothing) {
    g_nRecvPort = 77;
    for (const UINT nID : {ID_UNICAST_RECEIVED, ID_MULTICAST_RECEIVED}) {
        Command(nID, "5", End::Escape);
        Command(nID, "5", End::None, [](QDialog* dialog) { dialog->done(7); });
    }
    EXPECT_EQ(g_nRecvPort.load(), 77u);
    EXPECT_TRUE(m_pView->Socket() == nullptr && m_pView->Thread() == nullptr);
    EXPECT_TRUE(m_driver.m_messages.empty());
}

TEST_F(UnicastCapture, ASecondCaptureWhileOneRunsOnlyChangesThePortSetting) {
    Start();
    const unsigned port = BoundPort();
    Unicast("4321");
    EXPECT_EQ(m_driver.m_messages, Messages{"m_hSocket Thread was run!"});
    EXPECT_EQ(g_nRecvPort.load(), 4321u);
    EXPECT_EQ(BoundPort(), port) << "the capture goes on where it was";
}

// 24,000 datagrams of 1,316 bytes, one each 105 microseconds: 2.5 s at 100 Mbit/s.
TEST_F(UnicastCapture, ABusyUserInterfaceThreadLosesNothingOf100MbitPerSecond) {
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "ThreadSanitizer's slowdown keeps the sender from 100 Mbit/s";
#endif
    Start();
    std::string sent;
    std::thread paced([&, at = std::chrono::steady_clock::now()]() mutable {
        for (int i = 0; i < 24000; ++i) {
            std::this_thread::sleep_until(at += std::chrono::microseconds(105));
            sent += m_sender->Send(1316);
        }
    });
    WaitUntil([&] { return Captured() > 0; });
    std::this_thread::sleep_for(std::chrono::seconds(1));  // the stimulus: the window is busy
    paced.join();
    EXPECT_TRUE(WaitUntil([&] { return Captured() == 24000 * 1316; }));
    Close();
    EXPECT_TRUE(ReadFile(m_prefix.CapturePath()) == sent);
}

TEST_F(UnicastCapture, APipeWithAReaderIsHandedTheWholeStream) {
    std::filesystem::create_directories(m_prefix.m_path + "/drives/d");
    ASSERT_EQ(mkfifo(m_prefix.CapturePath().c_str(), 0600), 0);
    std::string received;
    // Another program's end of the pipe: it reads all it is given.
    std::thread reader([&] { received = ReadFile(m_prefix.CapturePath()); });
    Start();
    std::string sent;
    for (int i = 0; i < 200; ++i) {
        sent += m_sender->Send(1316);
    }
    Close();  // whatever the socket still holds is handed over too
    reader.join();
    EXPECT_TRUE(received == sent);
}

// The consumer is held while the stream comes: the queue fills, then the kernel's buffer, which
// drops the rest. More comes while the loss box's own loop runs, and the capture ends with
// datagrams still queued: the end line is the file's, and counts none of the gaps before this
// host.
TEST_F(UnicastCapture, FullBuffersAreSaidOnceAndTheEndLineCountsWhatTheFileHolds) {
    Start(64 << 10);
    const int small = 32 << 10;  // below what the program would ask for
    setsockopt(m_pView->Socket()->m_hSocket, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    const auto stream = MakeTestStream(4300, false);
    uint64_t sent = 0;
    // Without running the event loop: the capture reads nothing meanwhile.
    const auto send = [&](size_t from, size_t to) {
        for (size_t i = from; i < to; ++i) {
            sent += !m_sender->SendBytes(stream[i]).empty();
        }
    };
    m_driver.m_afterBox = [&] {
        for (size_t from = 2000; from < 4000; from += 100) {
            send(from, from + 100);
            // The stimulus: a pause in the stream, in which the box's loop reads and writes.
            WaitUntil([] { return false; }, 20);
        }
    };
    send(0, 2000);  // overflows both buffers while the window is busy here
    ASSERT_TRUE(WaitUntil([&] { return sent == 4000 && m_driver.m_messages.size() == 1; }, 10000));
    send(4000, 4300);  // queued and in the kernel when the window goes
    const std::string line = Close();
    std::smatch end;
    ASSERT_TRUE(std::regex_search(
        line, end,
        std::regex(": ([0-9]+) bytes in ([0-9]+) datagrams written; ([1-9][0-9]*) datagrams lost "
                   "\\(\\3 receive buffer full, 0 longer than 15040 bytes, 0 not written\\); "
                   "lost here \\3 datagrams; lost before this host 0 continuity gaps")))
        << line;
    const uint64_t written = std::stoull(end[2]);
    EXPECT_EQ(written + std::stoull(end[3]), sent) << line;
    // Each datagram in the file is one that was sent, each once, in order (no two are alike).
    const std::string file = ReadFile(m_prefix.CapturePath());
    EXPECT_EQ(std::stoull(end[1]), written * 1316);
    ASSERT_EQ(file.size(), written * 1316);
    for (auto [at, next] = std::pair{size_t{0}, stream.begin()}; at < file.size(); at += 1316) {
        next = std::find(next, stream.end(), file.substr(at, 1316));
        ASSERT_TRUE(next++ != stream.end()) << "not what was sent, at " << at;
    }
    EXPECT_TRUE(std::regex_match(
        m_driver.m_messages[0],
        std::regex("Datagrams are lost = ([1-9][0-9]*) ! \\1 arrived while the receive buffer was "
                   "full, 0 were longer than 15040 bytes. The capture goes on.")))
        << m_driver.m_messages[0];
}

// The consumer publishes on its thread while the view reads on its own, as with a multicast
// capture: every reading is one whole publication (run under ThreadSanitizer too).
TEST(CaptureStatusThreads, AReaderSeesWholePublicationsWhileTheConsumerWorks) {
    CCaptureStatus status;
    const std::string datagram = TsMaker().Datagram();
    std::thread consumer([&] {
        for (int capture = 0; capture < 20; ++capture) {
            status.Start(":1");
            for (uint64_t i = 1; i <= 64; ++i) {
                status.Arrived(reinterpret_cast<const std::byte*>(datagram.data()), datagram.size(),
                               0);
                status.Publish({.bytesWritten = i * datagram.size(), .datagramsWritten = i});
            }
            status.End();
        }
    });
    CaptureStatusFigures figures;
    for (int i = 0; i < 20000; ++i) {
        if (status.GetFigures(figures)) {
            ASSERT_EQ(std::pair(figures.datagramsArrived, figures.bytesArrived),
                      std::pair(figures.capture.datagramsWritten, figures.capture.bytesWritten));
        }
    }
    consumer.join();
    EXPECT_FALSE(status.GetFigures(figures)) << "no capture runs";
}

TEST_F(MulticastCapture, AUnicastPortOfZeroEndsTheCaptureAfterItsNextDatagram) {
    ASSERT_TRUE(Joined());
    std::string sent = m_sender->Send(1316);
    ASSERT_TRUE(FileHolds(sent.size())) << "the capture waits for the next";
    Command(ID_UNICAST_RECEIVED, "0");
    sent += m_sender->Send(500);
    EXPECT_EQ(Ended(), 1u);
    EXPECT_TRUE(ReadFile(MulticastPath()) == sent);
}

// The user-interface thread does not come back to its event loop before the window goes, so
// the box the thread asks for about an empty datagram waits for it.
TEST_F(MulticastCapture, ClosingWhileTheCaptureAsksForABoxNeitherHangsNorLosesTheFile) {
    ASSERT_TRUE(Joined());
    const std::string sent = m_sender->Send(1316);
    ASSERT_TRUE(FileHolds(sent.size()));
    m_sender->Send(0);
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
    EXPECT_TRUE(ReadFile(MulticastPath()) == sent);
}

// The second start shows the way stays open after a failed one.
TEST_F(MulticastCapture, ACaptureThatCannotStartSaysWhyAtOnceAndRecordsNothing) {
    Multicast("10.1.2.3");
    EXPECT_EQ(Ended(1), 0u);
    EXPECT_EQ(m_driver.m_messages, Messages{"Could not Add member!"});
    EXPECT_EQ(FileSize(MulticastPath()), -1) << "no file before the join";
    m_driver.m_messages.clear();
    std::filesystem::create_directories(m_prefix.m_path + "/drives/d");
    ASSERT_EQ(mkfifo(MulticastPath().c_str(), 0600), 0);
    Multicast(kGroup);
    EXPECT_EQ(Ended(1), 0u);
    EXPECT_EQ(m_driver.m_messages,
              Messages{"Open file is error !\nThe file is a pipe that no program reads (error = "
                       "233): start its reader first."});
}

// Sent back to back, so that the good ones and the bad one share one read.
TEST_F(MulticastCapture, ADatagramThatCannotBeReadWholeEndsTheCaptureKeepingWhatCameBefore) {
    ASSERT_TRUE(Joined());
    std::string sent = m_sender->Send(4096);
    sent += m_sender->Send(7);
    m_sender->Send(4097);
    m_sender->Send(10);
    EXPECT_EQ(Ended(1), 0u);
    EXPECT_EQ(m_driver.m_messages, Messages{"Could not Receive Message!"});
    EXPECT_TRUE(ReadFile(MulticastPath()) == sent);
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
        sent += i != 51 && i != 122 && i != 203 ? m_sender->SendBytes(stream[i]) : "";
    }
    ASSERT_TRUE(WaitUntil([&] { return FileSize(MulticastPath()) > 0; }));
    const std::string end = Close();
    SetWriteDelayForTesting(0);
    EXPECT_TRUE(ReadFile(MulticastPath()) == sent)
        << FileSize(MulticastPath()) << " of " << sent.size();
    EXPECT_THAT(end, HasSubstr(": 394416 bytes in 297 datagrams written; 0 datagrams lost (0 "
                               "receive buffer full, 0 longer than 4096 bytes, 0 not written); "
                               "lost here 0 datagrams; lost before this host 3 datagrams (RTP "
                               "sequence numbers)"));
}

TEST_F(MulticastCapture, PortZeroStartsNoCaptureAndKeepsTheLastRecording) {
    KeepLastRecording(MulticastPath());
    Multicast(kGroup, "0");
    EXPECT_EQ(m_pView->Thread(), nullptr);
    EXPECT_TRUE(m_driver.m_messages.empty());
    EXPECT_EQ(ReadFile(MulticastPath()), "the last capture");
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
    EXPECT_EQ(ReadFile(MulticastPath()), "nnnn");
    EXPECT_EQ(m_driver.m_messages,
              Messages{"Datagrams not for the group = 2 ! They reached port 5004 but were not "
                       "sent to 232.1.1.1 by 10.1.0.3; they are not written. The capture goes "
                       "on."});
    EXPECT_THAT(end, HasSubstr("4 bytes in 4 datagrams written; 0 datagrams lost (0 receive "
                               "buffer full, 0 longer than 4096 bytes, 0 not written); lost here "
                               "0 datagrams"));
    EXPECT_THAT(end, HasSubstr("; 2 not for the group\n"));
}

TEST_F(MulticastCapture, AGroupThatDoesNotArriveIsExplainedOnceAndInTheEndLine) {
    if (const std::string why = MakeNetworks(); !why.empty()) {
        GTEST_SKIP() << why;
    }
    SetSilenceWindowForTesting(std::chrono::milliseconds(400));
    ASSERT_TRUE(Joined("232.1.1.1%r1", "5004"));
    ASSERT_TRUE(WaitUntil([&] { return !m_driver.m_messages.empty(); }));
    // The stimulus: more than two further windows of silence, in which a repeat would show.
    WaitUntil([] { return false; }, 1000);
    const std::string end = Close();
    ASSERT_EQ(m_driver.m_messages.size(), 1u);
    EXPECT_THAT(m_driver.m_messages[0],
                testing::StartsWith("No datagram of 232.1.1.1:5004 arrived in "));
    EXPECT_THAT(end, HasSubstr(m_driver.m_messages[0]));
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
    EXPECT_EQ(ReadFile(MulticastPath()), "aaabbbaaa");
    EXPECT_EQ(m_driver.m_messages,
              Messages{"More than one sender ! 10.1.0.1 and 10.1.0.3 both send to 232.1.1.1:5004, "
                       "and the file interleaves their streams. The capture goes on."});
    EXPECT_THAT(end, HasSubstr("; senders 10.1.0.1 and 10.1.0.3\n"));
}

}  // namespace
