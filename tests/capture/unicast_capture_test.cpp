// "UniCast Received" through the view's command: what the file holds, what is refused and said,
// what the capture does when its file or socket fails under it or its buffers overflow, and
// the live figures read while its consumer publishes them.
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <optional>
#include <regex>
#include <thread>

#include "capture_fixture.h"
#include "test_stream.h"
#include "winsock.h"

namespace {

using End = ModalDriver::End;

class UnicastCapture : public CaptureTest {
protected:
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

    std::optional<UdpSender> m_sender;
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
// drops the rest. The loss box's own loop goes on receiving while it waits for the user, and the
// capture ends with datagrams still queued: the end line is the file's, and counts none of the
// gaps before this host.
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
    EXPECT_EQ(std::stoull(end[1]), written * 1316);
    // Each datagram in the file is one that was sent, each once, in order (no two are alike).
    const std::string file = ReadFile(m_prefix.CapturePath());
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
    const auto stream = MakeTestStream(64, false);
    std::thread consumer([&] {
        for (int capture = 0; capture < 20; ++capture) {
            status.Start(":1");
            CaptureFigures figures;
            for (const std::string& datagram : stream) {
                status.Arrived(reinterpret_cast<const std::byte*>(datagram.data()), datagram.size(),
                               0);
                figures.bytesWritten += datagram.size();
                ++figures.datagramsWritten;
                status.Publish(figures);
            }
            status.End();
        }
    });
    CaptureStatusFigures figures;
    for (int i = 0; i < 20000; ++i) {
        if (status.GetFigures(figures)) {
            ASSERT_EQ(figures.datagramsArrived, figures.capture.datagramsWritten);
            ASSERT_EQ(figures.bytesArrived, figures.capture.bytesWritten);
        }
    }
    consumer.join();
    EXPECT_FALSE(status.GetFigures(figures)) << "no capture runs";
}

}  // namespace
