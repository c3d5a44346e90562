// "UniCast Received" through the view's command, the real dialog, socket and event loop.
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDialog>
#include <QElapsedTimer>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <thread>

#include "datagram_receiver.h"
#include "drive_paths.h"
#include "files.h"
#include "modal_driver.h"
#include "resource.h"
#include "temp_prefix.h"
#include "udp_receive_socket.h"
#include "udp_sender.h"
#include "vandrel_view.h"
#include "wait.h"
#include "winsock.h"

namespace {

class TestView : public CVandrelView {
public:
    CUdpReceiveSocket* Socket() const { return m_hSocket; }
};

class UnicastCapture : public testing::Test {
protected:
    void SetUp() override {
        g_nRecvPort = 0;
        m_pView = new TestView;
    }
    void TearDown() override { delete m_pView; }

    // The command as the frame routes it, the dialog answered with typed and Enter.
    void Command(const QString& typed, bool clearFirst = true) {
        m_driver.AnswerDialog(typed, ModalDriver::End::Enter, clearFirst);
        m_pView->SendMessage(WM_COMMAND, ID_UNICAST_RECEIVED);
    }
    unsigned BoundPort() const {
        CString address;
        UINT port = 0;
        return m_pView->Socket() != nullptr && m_pView->Socket()->GetSockName(address, port) ? port
                                                                                             : 0;
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
            << "captured " << Captured() << " of " << expected;
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
    void DestroyView() {
        delete m_pView;
        m_pView = nullptr;
    }

    TempPrefix m_prefix;
    ModalDriver m_driver;
    TestView* m_pView = nullptr;
};

TEST_F(UnicastCapture, PortZeroBindsAnEphemeralPortAndOpensAnEmptyFile) {
    Command("0");
    ASSERT_NE(m_pView->Socket(), nullptr);
    EXPECT_EQ(g_nRecvPort.load(), 0u);
    EXPECT_NE(BoundPort(), 0u);
    EXPECT_EQ(FileSize(m_prefix.CapturePath()), 0);
    EXPECT_TRUE(m_driver.m_messages.empty());
}

TEST_F(UnicastCapture, WritesBlocksOnlyWhenTheFillPasses64KiB) {
    Command("0");
    UdpSender sender(BoundPort());
    const std::string path = m_prefix.CapturePath();

    SendAndWait(sender, 1000, 65);
    EXPECT_EQ(FileSize(path), 0);
    SendAndWait(sender, 1000, 1);
    EXPECT_EQ(FileSize(path), 66000);
    EXPECT_EQ(g_nRecvFill, 0);

    SendAndWait(sender, 15040, 4);
    EXPECT_EQ(FileSize(path), 66000);
    SendAndWait(sender, 15040, 1);
    EXPECT_EQ(FileSize(path), 66000 + 75200);

    SendAndWait(sender, 1024, 64);
    EXPECT_EQ(g_nRecvFill, 65536);
    EXPECT_EQ(FileSize(path), 66000 + 75200);
    SendAndWait(sender, 1, 1);
    EXPECT_EQ(FileSize(path), 66000 + 75200 + 65537);
}

TEST_F(UnicastCapture, OversizedAndEmptyDatagramsAddNothing) {
    Command("0");
    UdpSender sender(BoundPort());
    sender.Send(15041);
    sender.Send(0);
    const std::string marker = sender.Send(10);
    ASSERT_TRUE(WaitUntil([&] { return g_nRecvFill == 10; })) << g_nRecvFill;
    ASSERT_EQ(m_driver.m_messages.size(), 1u);
    EXPECT_EQ(m_driver.m_messages[0],
              "Datagrams are lost = 1 ! 0 arrived while the receive buffer was full, 1 were "
              "longer than 15040 bytes. The capture goes on.");
    DestroyView();
    EXPECT_EQ(ReadFile(m_prefix.CapturePath()), marker);
}

TEST_F(UnicastCapture, TheFileIsWhatWasSentInOrderTheTailIncluded) {
    Command("0");
    UdpSender sender(BoundPort());
    std::mt19937 random(7);
    std::string sent;
    for (int i = 0; i < 60; ++i) {
        sent += SendAndWait(sender, 1 + random() % 15040, 1);
    }
    if (g_nRecvFill == 0) {
        sent += SendAndWait(sender, 1000, 1);  // so that a tail is held when the view goes
    }
    ASSERT_GT(g_nRecvFill, 0);
    DestroyView();
    EXPECT_EQ(g_nRecvFill, 0);
    EXPECT_TRUE(ReadFile(m_prefix.CapturePath()) == sent);
}

TEST_F(UnicastCapture, APortTypedAs65537BindsPort1) {
    Command("65537");
    EXPECT_EQ(g_nRecvPort.load(), 65537u);
    if (m_pView->Socket() == nullptr) {
        GTEST_SKIP() << "this user may not bind port 1: " << m_driver.m_messages.at(0);
    }
    EXPECT_EQ(BoundPort(), 1u);
}

TEST_F(UnicastCapture, CancelKeepsThePortAndASecondCaptureOnlyChangesIt) {
    g_nRecvPort = 77;
    m_driver.AnswerDialog("5", ModalDriver::End::Escape);
    m_pView->SendMessage(WM_COMMAND, ID_UNICAST_RECEIVED);
    EXPECT_EQ(g_nRecvPort.load(), 77u);
    EXPECT_EQ(m_pView->Socket(), nullptr);

    // Ended with neither OK nor Cancel: m_nPort has no value, so nothing changes either.
    m_driver.m_onDialog = [](QDialog* dialog) { dialog->done(7); };
    m_driver.AnswerDialog("5", ModalDriver::End::None);
    m_pView->SendMessage(WM_COMMAND, ID_UNICAST_RECEIVED);
    m_driver.m_onDialog = nullptr;
    EXPECT_EQ(g_nRecvPort.load(), 77u);
    EXPECT_EQ(m_pView->Socket(), nullptr);

    Command("0");
    CUdpReceiveSocket* first = m_pView->Socket();
    ASSERT_NE(first, nullptr);
    const unsigned port = BoundPort();
    Command("4321");
    EXPECT_EQ(g_nRecvPort.load(), 4321u);
    EXPECT_EQ(m_pView->Socket(), first);
    EXPECT_EQ(BoundPort(), port);
    ASSERT_EQ(m_driver.m_messages.size(), 1u);
    EXPECT_EQ(m_driver.m_messages[0], "m_hSocket Thread was run!");
}

// A UDP socket on a free port, as another program holding it; -1 when none could be had.
int TakeAFreePort(unsigned& port) {
    const int blocker = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    socklen_t length = sizeof address;
    if (blocker < 0 || bind(blocker, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(blocker, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (blocker >= 0) {
            close(blocker);
        }
        return -1;
    }
    port = ntohs(address.sin_port);
    return blocker;
}

TEST_F(UnicastCapture, ATakenPortIsReportedAndALaterTryWorks) {
    unsigned taken = 0;
    const int blocker = TakeAFreePort(taken);
    ASSERT_GE(blocker, 0);
    const QString port = QString::number(taken);

    Command(port);
    EXPECT_EQ(m_pView->Socket(), nullptr);
    ASSERT_EQ(m_driver.m_messages.size(), 1u);
    EXPECT_EQ(m_driver.m_messages[0],
              "Could not Create UDP Port " + port.toStdString() + ", error = 10048 !");

    close(blocker);
    Command(port);
    ASSERT_NE(m_pView->Socket(), nullptr);
    EXPECT_EQ(BoundPort(), port.toUInt());
    EXPECT_EQ(m_driver.m_messages.size(), 1u);
}

TEST_F(UnicastCapture, EachCaptureEmptiesTheFileFirst) {
    TestView* other = new TestView;
    std::swap(other, m_pView);
    Command("0");
    UdpSender sender(BoundPort());
    SendAndWait(sender, 1000, 10);
    std::swap(other, m_pView);
    delete other;
    ASSERT_EQ(FileSize(m_prefix.CapturePath()), 10000);

    Command("0");
    EXPECT_EQ(FileSize(m_prefix.CapturePath()), 0);
}

TEST_F(UnicastCapture, ACaptureThatDoesNotStartKeepsThePreviousRecording) {
    std::string path;
    ASSERT_EQ(MapDrivePath("d:\\ReceivedUDP.ts", path), ERROR_SUCCESS);
    { std::ofstream(path, std::ios::binary) << "the last capture"; }
    unsigned taken = 0;
    const int blocker = TakeAFreePort(taken);
    ASSERT_GE(blocker, 0);

    Command(QString::number(taken));
    close(blocker);
    EXPECT_EQ(m_pView->Socket(), nullptr);
    ASSERT_EQ(m_driver.m_messages.size(), 1u);
    EXPECT_EQ(ReadFile(path), "the last capture");
}

// Whole datagrams of the counting sequence that sent holds, each at most once, in order.
bool IsOrderedPartOf(const std::string& file, const std::string& sent, size_t size) {
    size_t from = 0;
    for (size_t at = 0; at < file.size(); at += size, from += size) {
        while (from < sent.size() && sent.compare(from, size, file, at, size) != 0) {
            from += size;
        }
        if (from >= sent.size()) {
            return false;
        }
    }
    return file.size() % size == 0;
}

TEST_F(UnicastCapture, LossesAreShownOnceAsTheyHappenAndCountedTrulyAtTheEnd) {
    SetDatagramQueueBytes(1 << 20);
    Command("0");
    SetDatagramQueueBytes(0);
    ASSERT_NE(m_pView->Socket(), nullptr);
    // The kernel's buffer small too: set below what the program would accept.
    const int small = 65536;
    setsockopt(m_pView->Socket()->m_hSocket, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    UdpSender sender(BoundPort());
    constexpr int kCount = 600;
    constexpr size_t kSize = 10000;
    std::string sent;
    // Sent while the UI thread does nothing else: the queue fills, then the kernel's buffer.
    for (int i = 0; i < kCount; ++i) {
        sent += sender.Send(kSize);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ASSERT_TRUE(WaitUntil([&] { return !m_driver.m_messages.empty(); }, 10000));
    const std::regex shown(
        "Datagrams are lost = ([0-9]+) ! ([0-9]+) arrived while the receive buffer was full, "
        "0 were longer than 15040 bytes. The capture goes on.");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(m_driver.m_messages[0], match, shown)) << m_driver.m_messages[0];
    EXPECT_GT(std::stoull(match[2]), 0u);
    EXPECT_EQ(match[1], match[2]);
    WaitUntil([] { return false; }, 300);

    testing::internal::CaptureStderr();
    DestroyView();
    const std::string line = testing::internal::GetCapturedStderr();
    EXPECT_EQ(m_driver.m_messages.size(), 1u) << "once per capture";
    const std::regex ended(
        "vandrel: capture of UDP port [0-9]+ ended: .*ReceivedUDP.ts: ([0-9]+) bytes in ([0-9]+) "
        "datagrams written; ([0-9]+) datagrams lost \\(([0-9]+) receive buffer full, 0 longer "
        "than 15040 bytes, 0 not written\\)\n");
    ASSERT_TRUE(std::regex_match(line, match, ended)) << line;
    const std::string file = ReadFile(m_prefix.CapturePath());
    const unsigned long long written = std::stoull(match[2]);
    EXPECT_EQ(std::stoull(match[1]), file.size());
    EXPECT_EQ(written * kSize, file.size());
    EXPECT_EQ(std::stoull(match[4]) + written, static_cast<unsigned long long>(kCount));
    EXPECT_EQ(std::stoull(match[3]), std::stoull(match[4]));
    EXPECT_TRUE(IsOrderedPartOf(file, sent, kSize));
}

TEST_F(UnicastCapture, AReaderErrorIsReportedOnceAndWhatCameBeforeIsKept) {
    Command("0");
    UdpSender sender(BoundPort());
    const std::string before = SendAndWait(sender, 1000, 70);
    // The socket's descriptor now names something that cannot be read as a socket.
    const int notASocket = open("/dev/null", O_RDONLY | O_CLOEXEC);
    ASSERT_GE(dup2(notASocket, m_pView->Socket()->m_hSocket), 0);
    close(notASocket);
    sender.Send(1000);
    ASSERT_TRUE(WaitUntil([&] { return !m_driver.m_messages.empty(); }));
    EXPECT_EQ(m_driver.m_messages[0],
              "Receive is error = 10038 ! No more datagrams are captured; what was received is "
              "kept in the file.");
    EXPECT_TRUE(ReadFile(m_prefix.CapturePath()) == before) << "written at once";
    WaitUntil([] { return false; }, 1500);
    EXPECT_EQ(m_driver.m_messages.size(), 1u);
    DestroyView();
    EXPECT_TRUE(ReadFile(m_prefix.CapturePath()) == before);
}

TEST_F(UnicastCapture, APrefixFolderOfAnotherUserIsRefusedWithAClearMessage) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "giving the prefix folder to another user needs root";
    }
    ASSERT_EQ(chown(m_prefix.m_path.c_str(), 65534, 65534), 0);
    Command("0");
    ASSERT_FALSE(m_driver.m_messages.empty());
    EXPECT_EQ(m_driver.m_messages[0],
              "Open file is error !\nThe folder " + m_prefix.m_path +
                  " belongs to another user; the program writes only into folders of its own "
                  "(set VANDREL_PREFIX to one).");
    EXPECT_EQ(FileSize(m_prefix.CapturePath()), -1) << "nothing was created in it";
}

TEST_F(UnicastCapture, AFileThatCannotBeOpenedIsReportedAndTheCaptureGoesOn) {
    // Another holder without sharing: the capture's own open then fails with 32.
    const HANDLE holder = CreateFileA("d:\\ReceivedUDP.ts", GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    Command("0");
    ASSERT_NE(m_pView->Socket(), nullptr);
    ASSERT_EQ(m_driver.m_messages.size(), 1u);
    EXPECT_EQ(m_driver.m_messages[0], "Open file is error !");

    UdpSender sender(BoundPort());
    FillTwice(sender);
    ASSERT_EQ(m_driver.m_messages.size(), 2u);
    EXPECT_EQ(m_driver.m_messages[1],
              "Write file is error = 6 ! 66000 bytes received are dropped.");
    CloseHandle(holder);
}

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { Lift(); }
    void Lift() { setrlimit(RLIMIT_FSIZE, &m_saved); }

private:
    rlimit m_saved{};
};

TEST_F(UnicastCapture, AFailedWriteLeavesOnlyWholeBlocksIsReportedOnceAndTheCaptureGoesOn) {
    Command("0");
    UdpSender sender(BoundPort());
    const std::string path = m_prefix.CapturePath();
    const std::string first = SendAndWait(sender, 1000, 66);
    ASSERT_EQ(FileSize(path), 66000);
    FileSizeLimit limit(100000);  // the next block fits only in part
    FillTwice(sender);
    ASSERT_EQ(m_driver.m_messages.size(), 1u);
    EXPECT_EQ(m_driver.m_messages[0],
              "Write file is error = 112 ! 66000 bytes received are dropped.");
    EXPECT_EQ(FileSize(path), 66000) << "the part of the failed block is cut off again";

    limit.Lift();
    const std::string more = SendAndWait(sender, 1000, 66);
    EXPECT_TRUE(ReadFile(path) == first + more);
    EXPECT_EQ(m_driver.m_messages.size(), 1u);
}

TEST_F(UnicastCapture, ABusyUserInterfaceThreadLosesNothingOf100MbitPerSecond) {
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "ThreadSanitizer's slowdown keeps the sender from 100 Mbit/s";
#endif
    Command("0");
    UdpSender sender(BoundPort());
    constexpr int kCount = 24000;  // 2.5 s at 100 Mbit/s in 1,316-byte datagrams
    constexpr double kPerSecond = 100e6 / 8 / 1316;
    std::string sent;
    std::atomic<bool> done{false};
    std::thread paced([&] {
        const auto start = std::chrono::steady_clock::now();
        const auto deadline = start + std::chrono::seconds(10);
        for (int i = 0; i < kCount && std::chrono::steady_clock::now() < deadline;) {
            const double elapsed =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            for (; i < kCount && i < elapsed * kPerSecond; ++i) {
                sent += sender.Send(1316);
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        done = true;
    });
    WaitUntil([] { return false; }, 500);
    std::this_thread::sleep_for(std::chrono::seconds(1));  // the UI thread is busy elsewhere
    const bool finished = WaitUntil([&] { return done.load(); }, 15000);
    paced.join();
    ASSERT_TRUE(finished);
    ASSERT_EQ(sent.size(), size_t{kCount} * 1316);
    EXPECT_TRUE(WaitUntil([&] { return Captured() == static_cast<long long>(sent.size()); }))
        << Captured() << " of " << sent.size();
    EXPECT_EQ(m_pView->Socket()->GetDroppedCount(), 0u);
    DestroyView();
    EXPECT_TRUE(ReadFile(m_prefix.CapturePath()) == sent);
}

// What became of the test re-run as uid 65534.
struct NobodyRun {
    bool skipped = false;
    std::string failure;  // empty when the child passed
};

// A fresh folder that uid 65534 can enter and run a program from, or "" (why in *why).
// The build may sit in a folder only root can enter, such as root's home.
std::string MakeFolderForNobody(std::string* why) {
    for (const char* base : {"/tmp", "/var/tmp", "/dev/shm"}) {
        struct statvfs fs {};
        if (statvfs(base, &fs) != 0 || (fs.f_flag & ST_NOEXEC) != 0) {
            *why += std::string(base) + " is missing or mounted noexec; ";
            continue;
        }
        std::string folder = std::string(base) + "/vandrel-nobody-XXXXXX";
        if (mkdtemp(folder.data()) == nullptr) {
            *why += std::string(base) + ": " + strerror(errno) + "; ";
            continue;
        }
        chmod(folder.c_str(), 0755);
        return folder;
    }
    return {};
}

// Re-runs the test below as uid 65534 when root, from a copy of this binary in a folder that
// user can reach; the child's own result is the verdict.
NobodyRun RunAsNobody(const char* filter) {
    std::string why;
    const std::string folder = MakeFolderForNobody(&why);
    if (folder.empty()) {
        return {true, "no folder uid 65534 can run a copy of the test from: " + why};
    }
    struct Remove {
        std::string path;
        ~Remove() {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    } remove{folder};
    const std::string copy = folder + "/capture_tests";
    std::error_code error;
    if (!std::filesystem::copy_file("/proc/self/exe", copy, error)) {
        return {true, "cannot copy the test binary to " + folder + ": " + error.message()};
    }
    chmod(copy.c_str(), 0755);
    // Qt's runtime folder for the child, so it leaves nothing behind in /tmp.
    const std::string runtime = folder + "/run";
    if (mkdir(runtime.c_str(), 0700) != 0 || chown(runtime.c_str(), 65534, 65534) != 0) {
        return {false, "cannot make " + runtime + ": " + strerror(errno)};
    }
    const std::string runtimeVar = "XDG_RUNTIME_DIR=" + runtime;

    char child[] = "VANDREL_UNPRIVILEGED_CHILD=1";
    char offscreen[] = "QT_QPA_PLATFORM=offscreen";
    char* envp[] = {child, offscreen, const_cast<char*>(runtimeVar.c_str()), nullptr};
    std::string filterArg = std::string("--gtest_filter=") + filter;
    char* argv[] = {const_cast<char*>(copy.c_str()), filterArg.data(), nullptr};
    // The child writes {step, errno} here when it cannot get as far as running the copy.
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) {
        return {false, std::string("pipe2: ") + strerror(errno)};
    }
    const pid_t pid = fork();
    if (pid == 0) {
        int failed[2] = {0, 0};
        if (chdir(folder.c_str()) != 0 || setgroups(0, nullptr) != 0 || setgid(65534) != 0 ||
            setuid(65534) != 0) {
            failed[1] = errno;
        } else {
            execve(copy.c_str(), argv, envp);
            failed[0] = 1;
            failed[1] = errno;
        }
        (void)!write(report[1], failed, sizeof failed);
        _exit(127);
    }
    close(report[1]);
    int status = 0;
    bool finished = false;
    for (int waited = 0; waited < 600 && !finished; ++waited) {  // 60 s
        finished = waitpid(pid, &status, WNOHANG) == pid;
        if (!finished) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    if (!finished) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    int failed[2] = {0, 0};
    const bool notStarted = read(report[0], failed, sizeof failed) == sizeof failed;
    close(report[0]);
    if (notStarted && failed[0] == 0) {
        return {true, std::string("cannot become uid 65534: ") + strerror(failed[1])};
    }
    if (notStarted) {
        return {false, "execve of " + copy + " as uid 65534 failed: " + strerror(failed[1])};
    }
    if (!finished) {
        return {false, "the test as uid 65534 did not finish within 60 s"};
    }
    if (WIFSIGNALED(status)) {
        return {false, "the test as uid 65534 died of signal " + std::to_string(WTERMSIG(status))};
    }
    if (WEXITSTATUS(status) != 0) {
        return {false,
                "the test failed as uid 65534 (exit " + std::to_string(WEXITSTATUS(status)) + ")"};
    }
    return {};
}

TEST_F(UnicastCapture, AnUnprivilegedUserIsToldAboutPortsBelow1024) {
    const DWORD firstFree = GetUnprivilegedPortStart();
    if (firstFree <= 1002) {
        GTEST_SKIP() << "net.ipv4.ip_unprivileged_port_start is " << firstFree
                     << ": anyone may bind port 1002 here";
    }
    if (geteuid() == 0 && getenv("VANDREL_UNPRIVILEGED_CHILD") == nullptr) {
        const NobodyRun run =
            RunAsNobody("UnicastCapture.AnUnprivilegedUserIsToldAboutPortsBelow1024");
        if (run.skipped) {
            GTEST_SKIP() << run.failure;
        }
        EXPECT_EQ(run.failure, "");
        return;
    }
    Command("", false);
    EXPECT_EQ(g_nRecvPort.load(), 1002u);
    EXPECT_EQ(m_pView->Socket(), nullptr);
    ASSERT_EQ(m_driver.m_messages.size(), 1u);
    const std::string& text = m_driver.m_messages[0];
    EXPECT_NE(text.find("Could not Create UDP Port 1002, error = 5 !"), std::string::npos) << text;
    EXPECT_NE(text.find("below 1024"), std::string::npos) << text;
    EXPECT_NE(text.find("man vandrel"), std::string::npos) << text;
}

}  // namespace
