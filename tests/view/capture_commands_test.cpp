// "UniCast Received" and "Multicast Received" through the view's commands, the real dialogs,
// sockets, thread and event loop, writing under a fresh prefix; message boxes are answered and
// recorded. The multicast tests run in a network namespace of their own.
#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>

#include "datagram_receiver.h"
#include "files.h"
#include "modal_driver.h"
#include "multicast_receive.h"
#include "network_namespace.h"
#include "resource.h"
#include "sender_namespace.h"
#include "temp_prefix.h"
#include "test_stream.h"
#include "threads.h"
#include "udp_receive_socket.h"
#include "udp_sender.h"
#include "vandrel_view.h"
#include "wait.h"

namespace {

using End = ModalDriver::End;
using Messages = std::vector<std::string>;
constexpr char kGroup[] = "228.7.7.7";
constexpr unsigned kPort = 8001;

// A UDP socket bound to port, 0 for any free one (port is then set), as another program's;
// shared lets the capture bind the port too.
int BindUdp(unsigned& port, bool shared = false) {
    const int s = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const int reuse = shared ? 1 : 0;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    sockaddr_in address{AF_INET, htons(port), {}, {}};
    socklen_t length = sizeof address;
    EXPECT_EQ(bind(s, reinterpret_cast<sockaddr*>(&address), length), 0);
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return s;
}

class UnicastCapture : public testing::Test {
protected:
    class View : public CVandrelView {
    public:
        CUdpReceiveSocket* Socket() const { return m_hSocket; }
        HANDLE Thread() const { return m_hThread; }
    };

    UnicastCapture() { g_nRecvPort = 0; }

    // The command; its dialog gets onDialog first, then typed in its first edit (when given),
    // then end.
    void Command(UINT nID, const char* typed, End end = End::Enter,
                 std::function<void(QDialog*)> onDialog = {}) {
        m_driver.m_onDialog = std::move(onDialog);
        m_driver.AnswerDialog(typed != nullptr ? typed : "", end, typed != nullptr);
        m_pView->SendMessage(WM_COMMAND, nID);
    }
    void Unicast(const std::string& port) { Command(ID_UNICAST_RECEIVED, port.c_str()); }
    // A capture on any free port, and a sender to it.
    UdpSender OnFreePort() {
        Unicast("0");
        return UdpSender(BoundPort());
    }
    unsigned BoundPort() const {
        CString address;
        UINT port = 0;
        return m_pView->Socket() && m_pView->Socket()->GetSockName(address, port) ? port : 0;
    }
    long long Captured() const {
        return std::max(FileSize(m_prefix.CapturePath()), 0LL) + g_nRecvFill;
    }
    // Sends count datagrams of size bytes and waits until the capture holds them.
    std::string SendAndWait(UdpSender& sender, size_t size, int count) {
        const long long expected = Captured() + static_cast<long long>(size) * count;
        std::string sent;
        for (int i = 0; i < count; ++i) {
            sent += sender.Send(size);
        }
        EXPECT_TRUE(WaitUntil([&] { return Captured() == expected; }))
            << Captured() << " of " << expected;
        return sent;
    }
    // Two 66,000-byte fills, each handed to the file by its 66th datagram.
    void FillTwice(UdpSender& sender) {
        for (int round = 0; round < 2; ++round) {
            SendAndWait(sender, 1000, 65);
            sender.Send(1000);
            EXPECT_TRUE(WaitUntil([] { return g_nRecvFill == 0; }));
        }
    }

    TempPrefix m_prefix;
    ModalDriver m_driver;
    std::unique_ptr<View> m_pView = std::make_unique<View>();
};

// A failed write leaves only whole blocks and the capture goes on; a failed read ends it, with
// what is held written at once. Each is said once.
TEST_F(UnicastCapture, TheFileIsWhatWasSentInBlocksOfMoreThan64KiBAndEachFaultIsSaidOnceKeepingIt) {
    const std::string path = m_prefix.CapturePath();
    std::filesystem::create_directories(m_prefix.m_path + "/drives/d");
    std::ofstream(path, std::ios::binary) << "the last capture";
    UdpSender sender = OnFreePort();
    EXPECT_EQ(FileSize(path), 0) << "emptied first, on a free port";
    const struct {
        size_t size;
        int count;
        long long file;  // its size after them
    } steps[] = {
        {1000, 65, 0}, {1000, 1, 66000}, {15040, 5, 141200}, {1024, 64, 141200}, {1, 1, 206737}};
    std::string kept;
    for (const auto& step : steps) {
        kept += SendAndWait(sender, step.size, step.count);
        EXPECT_EQ(FileSize(path), step.file) << step.size << " x " << step.count;
    }
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit full{240000, saved.rlim_max};  // the next block fits only in part
    setrlimit(RLIMIT_FSIZE, &full);
    FillTwice(sender);
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(FileSize(path), 206737) << "the part of the failed block is cut off again";
    kept += SendAndWait(sender, 1000, 70);
    EXPECT_EQ(FileSize(path), 272737);
    // Too long for a read, or empty: neither adds anything, and the loss is shown.
    sender.Send(15041);
    sender.Send(0);
    kept += SendAndWait(sender, 10, 1);
    // The socket's descriptor now names something that cannot be read as a socket.
    const int notASocket = open("/dev/null", O_RDONLY | O_CLOEXEC);
    ASSERT_GE(dup2(notASocket, m_pView->Socket()->m_hSocket), 0);
    close(notASocket);
    sender.Send(1000);
    ASSERT_TRUE(WaitUntil([&] { return m_driver.m_messages.size() == 3; }));
    EXPECT_TRUE(ReadFile(path) == kept) << "written at once";
    WaitUntil([] { return false; }, 1500);
    EXPECT_EQ(m_driver.m_messages,
              (Messages{"Write file is error = 112 ! 66000 bytes received are dropped.",
                        "Datagrams are lost = 1 ! 0 arrived while the receive buffer was full, 1 "
                        "were longer than 15040 bytes. The capture goes on.",
                        "Receive is error = 10038 ! No more datagrams are captured; what was "
                        "received is kept in the file."}));
    m_pView.reset();
    EXPECT_TRUE(ReadFile(path) == kept);
}

// Refused: a port another program holds, and port 1 for a user
// without the right to ports below the first free one; root loses that right on this thread,
// where the view binds. Each is said, with a hint for the low one, and the last capture is kept.
TEST_F(UnicastCapture,
       OnlyOkOnAFreePortStartsACaptureARefusedOneKeepsTheLastTheNextOnlyChangesThePort) {
    g_nRecvPort = 77;
    for (const UINT nID : {ID_UNICAST_RECEIVED, ID_MULTICAST_RECEIVED}) {
        Command(nID, "5", End::Escape);
        // Ended with neither OK nor Cancel: m_nPort has no value, so nothing changes either.
        Command(nID, "5", End::None, [](QDialog* dialog) { dialog->done(7); });
    }
    EXPECT_EQ(g_nRecvPort.load(), 77u);
    EXPECT_TRUE(m_pView->Socket() == nullptr && m_pView->Thread() == nullptr);
    std::filesystem::create_directories(m_prefix.m_path + "/drives/d");
    std::ofstream(m_prefix.CapturePath(), std::ios::binary) << "the last capture";
    Messages messages;
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
        messages.push_back(
            "Could not Create UDP Port 1, error = 5 !\nOn Linux only a privileged "
            "program may use a port below " +
            firstFree + ": choose a port from " + firstFree +
            " up, or allow the program these ports (see \"Ports below "
            "1024\" in man vandrel).");
    }
    unsigned taken = 0;
    const int blocker = BindUdp(taken);
    Unicast(std::to_string(taken));
    messages.push_back("Could not Create UDP Port " + std::to_string(taken) + ", error = 10048 !");
    EXPECT_EQ(m_pView->Socket(), nullptr);
    EXPECT_EQ(ReadFile(m_prefix.CapturePath()), "the last capture");
    close(blocker);
    // Held by another without sharing: the capture's own open fails with 32, and a capture that
    // could write nothing does not start; the next one does, once the file is free.
    const HANDLE holder =
        CreateFileA("d:\\ReceivedUDP.ts", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    Unicast(std::to_string(taken));
    messages.push_back("Open file is error !");
    EXPECT_EQ(m_pView->Socket(), nullptr);
    CloseHandle(holder);
    Unicast(std::to_string(taken));
    EXPECT_EQ(BoundPort(), taken);
    Unicast("4321");
    messages.push_back("m_hSocket Thread was run!");
    EXPECT_EQ(g_nRecvPort.load(), 4321u);
    EXPECT_EQ(BoundPort(), taken) << "the capture goes on where it was";
    EXPECT_EQ(m_driver.m_messages, messages);
    EXPECT_EQ(ReadFile(m_prefix.CapturePath()), "");
}

TEST_F(UnicastCapture, LossesAreShownOnceAsTheyHappenAndCountedTrulyAtTheEnd) {
    SetDatagramQueueBytes(1 << 20);
    UdpSender sender = OnFreePort();
    SetDatagramQueueBytes(0);
    // The kernel's buffer small too: set below what the program would accept.
    const int small = 65536;
    setsockopt(m_pView->Socket()->m_hSocket, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    constexpr int kCount = 600;
    constexpr size_t kSize = 10000;
    // Sent while the UI thread does nothing else: the queue fills, then the kernel's buffer.
    for (int i = 0; i < kCount; ++i) {
        sender.Send(kSize);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ASSERT_TRUE(WaitUntil([&] { return !m_driver.m_messages.empty(); }, 10000));
    WaitUntil([] { return false; }, 300);
    testing::internal::CaptureStderr();
    m_pView.reset();
    // The box once, as the loss happens; the true count in the line at the end.
    std::string said = testing::internal::GetCapturedStderr();
    for (const std::string& message : m_driver.m_messages) {
        said.insert(0, message + "|");
    }
    std::smatch match;
    ASSERT_TRUE(std::regex_match(
        said, match,
        std::regex(
            "Datagrams are lost = ([1-9][0-9]*) ! \\1 arrived while the receive buffer "
            "was full, 0 were longer than 15040 bytes. The capture goes on.\\|vandrel: "
            "capture of UDP port [0-9]+ ended: .*ReceivedUDP.ts: ([0-9]+) bytes in ([0-9]+) "
            "datagrams written; ([0-9]+) datagrams lost \\(\\4 receive buffer full, 0 longer "
            "than 15040 bytes, 0 not written\\); lost here \\4 datagrams; lost before this host "
            "[^\n]*\n")))
        << said;
    const std::string file = ReadFile(m_prefix.CapturePath());
    EXPECT_EQ(std::stoull(match[2]), file.size());
    EXPECT_EQ(std::stoull(match[3]) * kSize, file.size());
    EXPECT_EQ(std::stoull(match[3]) + std::stoull(match[4]), static_cast<unsigned>(kCount));
}

// Calls act once, from the loop of the first message box shown.
class ShowWatch : public QObject {
public:
    explicit ShowWatch(std::function<void()> act) : m_act(std::move(act)) {
        qApp->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && m_act && qobject_cast<QMessageBox*>(watched)) {
            QTimer::singleShot(0, std::exchange(m_act, {}));
        }
        return false;
    }

private:
    std::function<void()> m_act;
};

// The loss box's own loop goes on receiving while it waits for the user, blocks are written
// under it, and the capture ends with datagrams still queued: the end line is the file's.
TEST_F(UnicastCapture, TheEndLineCountsWhatTheFileHoldsWhateverRanUnderTheLossBox) {
    SetDatagramQueueBytes(1 << 20);
    UdpSender sender = OnFreePort();
    SetDatagramQueueBytes(0);
    const int small = 65536;
    setsockopt(m_pView->Socket()->m_hSocket, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    int sent = 0;
    bool underTheBox = false;
    // Run from the box's own loop as soon as it shows: enough for several blocks, each
    // written from within it.
    const auto sendUnderTheBox = [&] {
        underTheBox = true;
        for (int round = 0; round < 20; ++round, sent += 100) {
            for (int i = 0; i < 100; ++i) {
                sender.Send(1316);
            }
            WaitUntil([] { return false; }, 20);
        }
    };
    ShowWatch watch(sendUnderTheBox);
    for (; sent < 2000; ++sent) {
        sender.Send(1316);  // overflows both buffers while the window is busy here
    }
    ASSERT_TRUE(WaitUntil([&] { return underTheBox && m_driver.m_messages.size() == 1; }, 10000));
    // Queued and in the kernel when the view goes.
    for (int i = 0; i < 300; ++i, ++sent) {
        sender.Send(1316);
    }
    testing::internal::CaptureStderr();
    m_pView.reset();
    const std::string said = testing::internal::GetCapturedStderr();
    std::smatch match;
    ASSERT_TRUE(std::regex_search(said, match,
                                  std::regex(": ([0-9]+) bytes in ([0-9]+) datagrams written; "
                                             "([0-9]+) datagrams lost \\(\\3 receive")))
        << said;
    const std::string file = ReadFile(m_prefix.CapturePath());
    EXPECT_EQ(std::stoull(match[1]), file.size());
    EXPECT_EQ(std::stoull(match[2]) * 1316, file.size());
    EXPECT_EQ(std::stoull(match[2]) + std::stoull(match[3]), static_cast<uint64_t>(sent)) << said;
}

TEST_F(UnicastCapture, APrefixFolderOfAnotherUserIsNotWrittenAndTheUserIsToldWhy) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "giving the prefix folder to another user needs root";
    }
    ASSERT_EQ(chown(m_prefix.m_path.c_str(), 65534, 65534), 0);
    Unicast("0");
    EXPECT_EQ(m_driver.m_messages,
              Messages{"Open file is error !\nThe folder " + m_prefix.m_path +
                       " belongs to another user; the program writes only into folders of its "
                       "own (set VANDREL_PREFIX to one)."});
    EXPECT_EQ(FileSize(m_prefix.CapturePath()), -1);
}

TEST_F(UnicastCapture, ABusyUserInterfaceThreadLosesNothingOf100MbitPerSecond) {
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "ThreadSanitizer's slowdown keeps the sender from 100 Mbit/s";
#endif
    UdpSender sender = OnFreePort();
    std::string sent;
    // 2.5 s at 100 Mbit/s in 1,316-byte datagrams, one each 105 microseconds, while the UI
    // thread is busy elsewhere for a second of it.
    std::thread paced([&] {
        for (auto [i, at] = std::pair{0, std::chrono::steady_clock::now()}; i < 24000; ++i) {
            std::this_thread::sleep_until(at += std::chrono::microseconds(105));
            sent += sender.Send(1316);
        }
    });
    WaitUntil([] { return false; }, 500);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    paced.join();
    EXPECT_TRUE(WaitUntil([&] { return Captured() == 24000 * 1316; }));
    m_pView.reset();
    EXPECT_TRUE(ReadFile(m_prefix.CapturePath()) == sent);
}

TEST_F(UnicastCapture, OutOfFileDescriptorsItSaysWhatRanOutAndKeepsTheLastRecording) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizers' own checks need descriptors of their own";
#endif
    std::filesystem::create_directories(m_prefix.m_path + "/drives/d");
    std::ofstream(m_prefix.CapturePath(), std::ios::binary) << "the last capture";
    int lowestFree = 0;
    while (fcntl(lowestFree, F_GETFD) >= 0) {
        ++lowestFree;
    }
    rlimit saved{};
    getrlimit(RLIMIT_NOFILE, &saved);
    // No new descriptor: an open takes the lowest free number, which is now out of reach.
    const rlimit none{static_cast<rlim_t>(lowestFree), saved.rlim_max};
    setrlimit(RLIMIT_NOFILE, &none);
    Unicast("0");
    setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(m_pView->Socket(), nullptr);
    EXPECT_EQ(m_driver.m_messages,
              Messages{"Open file is error !\nThe program has run out of file descriptors (error "
                       "= 4): close other captures or raise the limit (ulimit -n)."});
    EXPECT_EQ(ReadFile(m_prefix.CapturePath()), "the last capture");
}

// Another program's end of a pipe made at the capture file's place: it reads all it is given.
class PipeReader {
public:
    explicit PipeReader(const std::string& path)
        : m_thread([this, path] {
              const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
              char buffer[65536];
              for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) {
                  m_read.append(buffer, static_cast<size_t>(n));
              }
              close(fd);
          }) {}
    // What it read until the writer closed the pipe.
    std::string Join() {
        m_thread.join();
        return m_read;
    }

private:
    std::string m_read;
    std::thread m_thread;
};

void MakePipe(const std::string& path) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
}

TEST_F(UnicastCapture, APipeThatNobodyReadsOrADeviceIsRefusedAtOnceAndNoCaptureStarts) {
    const std::string path = m_prefix.CapturePath();
    MakePipe(path);
    alarm(10);  // an open that waits for a reader ends the test program
    Unicast("0");
    std::filesystem::remove(path);
    std::filesystem::create_symlink("/dev/null", path);
    Unicast("0");
    alarm(0);
    EXPECT_EQ(m_pView->Socket(), nullptr);
    EXPECT_EQ(m_driver.m_messages,
              (Messages{"Open file is error !\nThe file is a pipe that no program reads (error "
                        "= 233): start its reader first.",
                        "Open file is error !\nThe file is neither a file nor a pipe (error = "
                        "50)."}));
}

TEST_F(UnicastCapture, APipeWithAReaderIsHandedTheWholeStream) {
    MakePipe(m_prefix.CapturePath());
    PipeReader reader(m_prefix.CapturePath());
    UdpSender sender = OnFreePort();
    std::string sent;
    for (int i = 0; i < 200; ++i) {
        sent += sender.Send(1316);
    }
    // Whatever the socket still holds is handed over at the end too.
    m_pView.reset();
    EXPECT_TRUE(reader.Join() == sent);
}

[[maybe_unused]] const bool kOwnNetwork = RunInNetworkNamespace("MulticastCapture");

class MulticastCapture : public UnicastCapture {
protected:
    void SetUp() override {
        g_strGroupIP = "";
        if (!WhyNoNetworkNamespace().empty()) {
            GTEST_SKIP() << WhyNoNetworkNamespace();
        }
    }
    // The dialog's group replaced and its port typed, when given, then Enter.
    void Multicast(const char* group = nullptr, const char* port = nullptr) {
        Command(ID_MULTICAST_RECEIVED, port, End::Enter, [group](QDialog* dialog) {
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
};

TEST_F(MulticastCapture,
       EnterCapturesOnlyTheOfferedGroupAndClosingWhileABoxIsAskedKeepsTheFileComplete) {
    Multicast();
    ASSERT_TRUE(FileHolds(0));
    EXPECT_EQ(std::string(g_strGroupIP), kGroup);
    EXPECT_EQ(g_nRecvPort.load(), kPort);
    // Another group joined on the host on the same port stays out.
    unsigned port = kPort;
    const int other = BindUdp(port, true);
    ip_mreq mreq{};
    mreq.imr_multiaddr.s_addr = inet_addr("228.8.8.8");
    ASSERT_EQ(setsockopt(other, IPPROTO_IP, IP_ADD_MEMBERSHIP, &mreq, sizeof mreq), 0);
    UdpSender(kPort, "228.8.8.8").Send(300);
    UdpSender sender(kPort, kGroup);
    std::string sent;
    for (const size_t size : {1316, 1, 4096, 700}) {
        sent += sender.Send(size);
    }
    ASSERT_TRUE(FileHolds(sent.size())) << FileSize(Path()) << " of " << sent.size();
    char buffer[512];
    EXPECT_EQ(recv(other, buffer, sizeof buffer, MSG_DONTWAIT), 300) << "the other group arrived";
    close(other);
    // A unicast port of 0 ends the waiting capture after its next datagram, written too.
    Command(ID_UNICAST_RECEIVED, "0");
    sent += sender.Send(500);
    DWORD code = STILL_ACTIVE;
    EXPECT_TRUE(WaitUntil(
        [&] { return GetExitCodeThread(m_pView->Thread(), &code) && code != STILL_ACTIVE; }));
    EXPECT_EQ(code, 1u);
    EXPECT_TRUE(ReadFile(Path()) == sent);
    // Closed while the thread asks for a box about an empty datagram: the user-interface thread
    // does not come back to its event loop before the view goes, so the box waits for it.
    m_pView = std::make_unique<View>();
    Multicast();
    ASSERT_TRUE(FileHolds(0));
    sent = sender.Send(1316);
    ASSERT_TRUE(FileHolds(sent.size()));
    sender.Send(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    alarm(10);  // a hang ends the test program
    m_pView.reset();
    alarm(0);
    WaitUntil([] { return false; }, 100);
    EXPECT_TRUE(m_driver.m_messages.empty()) << m_driver.m_messages.front();
    EXPECT_TRUE(ReadFile(Path()) == sent);
}

TEST_F(MulticastCapture, WhatCannotStartOrCannotBeReadIsReportedAndWhatCameBeforeIsKept) {
    const struct {
        const char* group;
        const char* port;
        bool held;  // the file by another holder without sharing
        int bad;    // the size of a datagram that cannot be read whole; -1: none sent
        DWORD exitCode;
        Messages messages;
        long long file;
    } cases[] = {
        {"10.1.2.3", nullptr, false, -1, 0, {"Could not Add member!"}, -1},
        {"group seven", nullptr, false, -1, 0, {"Could not Add member!"}, -1},
        {kGroup, nullptr, true, -1, 0, {"Open file is error !"}, 0},
        {kGroup, nullptr, false, 4097, 0, {"Could not Receive Message!"}, 4103},
        {kGroup, nullptr, false, 0, 0, {"Could not Receive Message!"}, 4103},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.group) + " " + std::to_string(c.bad));
        m_pView = std::make_unique<View>();
        m_driver.m_messages.clear();
        std::filesystem::remove(Path());
        const HANDLE holder = c.held ? CreateFileA("d:\\receivedMulticast.ts", GENERIC_WRITE, 0,
                                                   nullptr, CREATE_ALWAYS, 0, nullptr)
                                     : INVALID_HANDLE_VALUE;
        Multicast(c.group, c.port);
        ASSERT_NE(m_pView->Thread(), nullptr);
        std::string sent;
        if (c.bad >= 0) {
            ASSERT_TRUE(FileHolds(0));
            UdpSender sender(kPort, kGroup);
            // Back to back, so that the good ones and the bad one share one read.
            sent = sender.Send(4096);
            sent += sender.Send(7);
            sender.Send(c.bad);
            sender.Send(10);
        }
        DWORD code = STILL_ACTIVE;
        ASSERT_TRUE(WaitUntil([&] {
            return GetExitCodeThread(m_pView->Thread(), &code) && code != STILL_ACTIVE &&
                   m_driver.m_messages.size() >= c.messages.size();
        }));
        EXPECT_EQ(code, c.exitCode);
        EXPECT_EQ(m_driver.m_messages, c.messages);
        EXPECT_EQ(FileSize(Path()), c.file) << "no file before the join";
        EXPECT_TRUE(ReadFile(Path()) == sent);
        CloseHandle(holder);
    }
}

// The writes slowed as on a slow stick or share: the window closed mid-stream still writes
// every datagram that was read, and the end line counts the file.
TEST_F(MulticastCapture, ClosingWhileTheDiskIsSlowWritesEveryDatagramReadAndSaysSoTruly) {
    Multicast();
    ASSERT_TRUE(FileHolds(0));
    SetWriteDelayForTesting(300);
    UdpSender sender(kPort, kGroup);
    std::string sent;
    for (int i = 0; i < 300; ++i) {
        sent += sender.Send(1316);
    }
    // The first write is under way and the rest wait in the socket's queue.
    ASSERT_TRUE(WaitUntil([&] { return FileSize(Path()) > 0; }, 5000));
    testing::internal::CaptureStderr();
    m_pView.reset();
    const std::string said = testing::internal::GetCapturedStderr();
    SetWriteDelayForTesting(0);
    EXPECT_TRUE(ReadFile(Path()) == sent) << FileSize(Path()) << " of " << sent.size();
    EXPECT_NE(said.find(": 394800 bytes in 300 datagrams written; 0 datagrams lost (0 receive "
                        "buffer full, 0 longer than 4096 bytes, 0 not written); lost here 0"),
              std::string::npos)
        << said;
}

TEST_F(MulticastCapture, PortZeroStartsNoCaptureAndKeepsTheLastRecording) {
    std::filesystem::create_directories(m_prefix.m_path + "/drives/d");
    std::ofstream(Path(), std::ios::binary) << "the last capture";
    Multicast(kGroup, "0");
    EXPECT_EQ(m_pView->Thread(), nullptr);
    EXPECT_TRUE(m_driver.m_messages.empty());
    EXPECT_EQ(ReadFile(Path()), "the last capture");
}

TEST_F(MulticastCapture, ACaptureThatFailedLeavesTheWayOpenForTheNext) {
    Multicast("10.1.2.3");
    ASSERT_TRUE(WaitUntil([&] { return !m_driver.m_messages.empty(); }));
    EXPECT_EQ(m_driver.m_messages, Messages{"Could not Add member!"});
    Multicast();
    ASSERT_TRUE(FileHolds(0));
    const std::string sent = UdpSender(kPort, kGroup).Send(1316);
    EXPECT_TRUE(FileHolds(sent.size()));
    EXPECT_EQ(m_driver.m_messages.size(), 1u) << m_driver.m_messages.back();
}

TEST_F(MulticastCapture, APipeThatNobodyReadsIsRefusedAtOnceAndClosingDoesNotWait) {
    MakePipe(Path());
    Multicast();
    ASSERT_TRUE(WaitUntil([&] { return !m_driver.m_messages.empty(); }));
    EXPECT_EQ(m_driver.m_messages,
              Messages{"Open file is error !\nThe file is a pipe that no program reads (error = "
                       "233): start its reader first."});
    alarm(10);
    m_pView.reset();
    alarm(0);
}

[[maybe_unused]] const bool kOwnNetworks = RunInNetworkNamespace("MulticastNetworks");

// A host with two networks that both carry group 232.1.1.1: s1-r1 and s2-r2 (see
// SenderNamespace), the capture typed into the dialog as a user types it.
class MulticastNetworks : public MulticastCapture {
protected:
    static constexpr char kStream[] = "232.1.1.1";
    void SetUp() override {
        MulticastCapture::SetUp();
        if (IsSkipped()) {
            return;
        }
        m_senders = std::make_unique<SenderNamespace>();
        if (!m_senders->WhyNot().empty()) {
            GTEST_SKIP() << m_senders->WhyNot();
        }
    }
    void TearDown() override { SetSilenceWindowForTesting(std::chrono::milliseconds(0)); }
    // Sends count datagrams of payload from source out of link.
    void Send(const char* link, const char* source, const std::string& payload, int count,
              const char* to = kStream) {
        const int s = m_senders->MakeSender(link, source);
        ASSERT_GE(s, 0);
        EXPECT_EQ(SendDatagrams(s, to, 5004, payload, count), count);
        close(s);
    }
    // Closes the window and returns the capture's end line.
    std::string Close() {
        testing::internal::CaptureStderr();
        m_pView.reset();
        return testing::internal::GetCapturedStderr();
    }

    std::unique_ptr<SenderNamespace> m_senders;
};

TEST_F(MulticastNetworks, TheInterfaceAndTheSourceNamedAreAllTheFileHoldsAndStraysAreSaidOnce) {
    ASSERT_TRUE(RunHere("ip addr add 10.2.0.2/24 dev r2"));
    Multicast(" 10.1.0.3 @ 232.1.1.1 % r1 ", "5004");
    ASSERT_TRUE(FileHolds(0));
    Send("s2", "10.2.0.1", "b", 10);             // the group on the other network
    Send("s1", "10.1.0.1", "o", 10);             // the group from another source
    Send("s2", "10.2.0.1", "u", 2, "10.2.0.2");  // to the port, but not to the group
    Send("s1", "10.1.0.3", "n", 4);
    ASSERT_TRUE(FileHolds(4));
    ASSERT_TRUE(WaitUntil([&] { return !m_driver.m_messages.empty(); }));
    const std::string end = Close();
    EXPECT_EQ(ReadFile(Path()), "nnnn");
    EXPECT_EQ(m_driver.m_messages,
              Messages{"Datagrams not for the group = 2 ! They reached port 5004 but were not "
                       "sent to 232.1.1.1 by 10.1.0.3; they are not written. The capture goes "
                       "on."});
    EXPECT_NE(end.find("4 bytes in 4 datagrams written; 0 datagrams lost (0 receive buffer full, "
                       "0 longer than 4096 bytes, 0 not written); lost here 0 datagrams"),
              std::string::npos)
        << end;
    EXPECT_NE(end.find("; 2 not for the group\n"), std::string::npos) << end;
}

TEST_F(MulticastNetworks, TwoSendersToTheGroupAreSaidOnceAndBothRecorded) {
    Multicast("232.1.1.1%r1", "5004");
    ASSERT_TRUE(FileHolds(0));
    Send("s1", "10.1.0.1", "a", 3);
    Send("s1", "10.1.0.3", "b", 3);
    Send("s1", "10.1.0.1", "a", 3);
    ASSERT_TRUE(FileHolds(9));
    ASSERT_TRUE(WaitUntil([&] { return !m_driver.m_messages.empty(); }));
    const std::string end = Close();
    EXPECT_EQ(ReadFile(Path()), "aaabbbaaa");
    EXPECT_EQ(m_driver.m_messages,
              Messages{"More than one sender ! 10.1.0.1 and 10.1.0.3 both send to 232.1.1.1:5004, "
                       "and the file interleaves their streams. The capture goes on."});
    EXPECT_NE(end.find("; senders 10.1.0.1 and 10.1.0.3\n"), std::string::npos) << end;
}

TEST_F(MulticastNetworks, AGroupThatDoesNotArriveIsExplainedOnceAndInTheEndLine) {
    SetSilenceWindowForTesting(std::chrono::milliseconds(400));
    Multicast("232.1.1.1%r1", "5004");
    ASSERT_TRUE(FileHolds(0));
    ASSERT_TRUE(WaitUntil([&] { return !m_driver.m_messages.empty(); }));
    WaitUntil([] { return false; }, 1000);
    const std::string end = Close();
    ASSERT_EQ(m_driver.m_messages.size(), 1u);
    EXPECT_EQ(m_driver.m_messages[0].rfind("No datagram of 232.1.1.1:5004 arrived in ", 0), 0u)
        << m_driver.m_messages[0];
    EXPECT_NE(end.find(m_driver.m_messages[0]), std::string::npos) << end;
}

[[maybe_unused]] const bool kStreamCheckOwnNetwork = RunInNetworkNamespace("MulticastStreamCheck");

// The test stream with three datagrams skipped by its sender, through "Multicast Received":
// the file is what came, and the end line puts the skips before this host.
class MulticastStreamCheck : public MulticastCapture {
protected:
    std::string EndLineOfSkippedStream(bool rtp) {
        Multicast();
        EXPECT_TRUE(FileHolds(0));
        UdpSender sender(kPort, kGroup);
        std::string sent;
        const auto stream = MakeTestStream(300, rtp);
        for (size_t i = 0; i < stream.size(); ++i) {
            if (i != 51 && i != 122 && i != 203) {
                sent += sender.SendBytes(stream[i]);
            }
        }
        EXPECT_TRUE(FileHolds(sent.size())) << FileSize(Path()) << " of " << sent.size();
        testing::internal::CaptureStderr();
        m_pView.reset();
        EXPECT_TRUE(ReadFile(Path()) == sent);
        return testing::internal::GetCapturedStderr();
    }
};

TEST_F(MulticastStreamCheck, DatagramsSkippedInRtpAreDatagramsLostBeforeThisHost) {
    const std::string said = EndLineOfSkippedStream(true);
    EXPECT_NE(said.find(" 0 not written); lost here 0 datagrams; lost before this host 3 "
                        "datagrams (RTP sequence numbers)\n"),
              std::string::npos)
        << said;
}

TEST_F(MulticastStreamCheck, DatagramsSkippedInPlainTsAreContinuityGapsLostBeforeThisHost) {
    const std::string said = EndLineOfSkippedStream(false);
    EXPECT_NE(
        said.find("; lost here 0 datagrams; lost before this host " +
                  std::to_string(3 * kGapsPerSkip) + " continuity gaps (TS continuity counters)\n"),
        std::string::npos)
        << said;
}

}  // namespace
