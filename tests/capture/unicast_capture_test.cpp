// "UniCast Received" through the view's command: what the file holds, what is refused and said,
// and what the capture does when its file or socket fails under it.
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <thread>

#include "capture_fixture.h"
#include "winsock.h"

namespace {

using End = ModalDriver::End;

TEST_F(UnicastCapture, AFullDiskDropsTheBlocksThatDidNotFitSaysSoOnceAndTheCaptureGoesOn) {
    UdpSender sender = OnFreePort();
    std::string kept = SendAndWait(sender, 1000, 66);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit full{100000, saved.rlim_max};  // the next block fits only in part
    setrlimit(RLIMIT_FSIZE, &full);
    for (int block = 0; block < 2; ++block) {
        SendAndWait(sender, 1000, 65);
        sender.Send(1000);  // the 66th hands the block to the file
        EXPECT_TRUE(WaitUntil([] { return g_nRecvFill == 0; }));
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(FileSize(m_prefix.CapturePath()), 66000) << "what fitted of a block is cut off";
    kept += SendAndWait(sender, 1000, 66);
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
    UdpSender sender = OnFreePort();
    std::string kept;
    for (int round = 0; round < 2; ++round) {
        sender.Send(15041);
        sender.Send(0);
        kept += SendAndWait(sender, 15040, 1);
    }
    EXPECT_EQ(m_driver.m_messages,
              Messages{"Datagrams are lost = 1 ! 0 arrived while the receive buffer was full, 1 "
                       "were longer than 15040 bytes. The capture goes on."});
    const std::string end = Close();
    EXPECT_TRUE(ReadFile(m_prefix.CapturePath()) == kept);
    EXPECT_THAT(end, HasSubstr("2 datagrams lost (0 receive buffer full, 2 longer than 15040"));
}

TEST_F(UnicastCapture, AReadThatFailsEndsTheCaptureAndWritesWhatWasHeldAtOnce) {
    UdpSender sender = OnFreePort();
    const std::string held = SendAndWait(sender, 1000, 10);
    // The socket's descriptor now names something that cannot be read as a socket.
    const int notASocket = open("/dev/null", O_RDONLY | O_CLOEXEC);
    ASSERT_GE(dup2(notASocket, m_pView->Socket()->m_hSocket), 0);
    close(notASocket);
    sender.Send(1000);
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
    int blocker = -1;
    const unsigned taken = BindUdp(blocker);
    Unicast(std::to_string(taken));
    close(blocker);
    expectRefused("Could not Create UDP Port " + std::to_string(taken) + ", error = 10048 !");
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
    int lowestFree = 0;
    while (fcntl(lowestFree, F_GETFD) >= 0) {
        ++lowestFree;
    }
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
    OnFreePort();
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
    std::thread reader([&, path = m_prefix.CapturePath()] {
        const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        char buffer[65536];
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) {
            received.append(buffer, static_cast<size_t>(n));
        }
        close(fd);
    });
    UdpSender sender = OnFreePort();
    std::string sent;
    for (int i = 0; i < 200; ++i) {
        sent += sender.Send(1316);
    }
    Close();  // whatever the socket still holds is handed over too
    reader.join();
    EXPECT_TRUE(received == sent);
}

}  // namespace
