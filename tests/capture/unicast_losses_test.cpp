// Whose loss each gap is, as a running unicast capture tells it: a test stream sent on loopback
// with datagrams the sender skips (lost before this host) and with the consumer held while the
// queue and the kernel's buffer overflow (lost here); the file holds every datagram that came.
#include <QMessageBox>
#include <QTimer>
#include <optional>
#include <regex>
#include <thread>

#include "capture_fixture.h"
#include "test_stream.h"

namespace {

class UnicastLosses : public UnicastCapture {
protected:
    // Captures on a free port through a queue of queueBytes (0: the program's own).
    void Start(int queueBytes = 0) {
        SetDatagramQueueBytes(queueBytes);
        Unicast("0");
        m_sender.emplace(BoundPort());
    }
    // Sends datagrams [from, to) of m_stream, but for every hundredth when skipping (none of
    // them at the start or just before an announced discontinuity), without running the event
    // loop: the capture reads nothing meanwhile. Returns how many went.
    uint64_t Send(size_t from, size_t to, bool skipping = false) {
        uint64_t sent = 0;
        for (size_t i = from; i < to; ++i) {
            sent += !(skipping && i % 100 == 21) && !m_sender->SendBytes(m_stream[i]).empty();
        }
        return sent;
    }
    // Every datagram in the ended capture's file is one that was sent, each once, in order, and
    // as many as arrived.
    void ExpectFileOfArrivals(uint64_t arrived) {
        const std::string file = ReadFile(m_prefix.CapturePath());
        const size_t size = m_stream.front().size();
        EXPECT_EQ(file.size(), arrived * size);
        for (uint64_t offset = 0, next = 0; offset + size <= file.size(); offset += size) {
            const uint64_t index = TestStreamIndex(file.substr(offset, size));
            ASSERT_TRUE(index >= next && index < m_stream.size() &&
                        file.compare(offset, size, m_stream[index]) == 0)
                << "not what was sent, at " << offset;
            next = index + 1;
        }
    }

    std::vector<std::string> m_stream;
    std::optional<UdpSender> m_sender;
};

// Plain TS counts each skip as a continuity gap for each PID with payload in the datagram.
TEST_F(UnicastLosses, DatagramsTheSenderSkippedAreLostBeforeThisHost) {
    Start();
    m_stream = MakeTestStream(2000, false);
    const uint64_t sent = Send(0, 2000, true);
    CaptureStatusFigures figures;
    ASSERT_TRUE(WaitUntil(
        [&] {
            return m_pView->Socket()->GetCaptureStatus(figures) && figures.datagramsArrived == sent;
        },
        10000));
    EXPECT_EQ(figures.stream.kind, StreamKind::Ts);
    EXPECT_EQ(figures.stream.lostBefore, 20 * kGapsPerSkip);
    EXPECT_EQ(figures.capture.Lost(), 0u);
    Close();
    ExpectFileOfArrivals(sent);
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

// The consumer is held while the stream comes: the queue fills, then the kernel's buffer, which
// drops the rest. The loss box's own loop goes on receiving while it waits for the user, and the
// capture ends with datagrams still queued: the end line is the file's, and counts none of the
// gaps before this host.
TEST_F(UnicastLosses, FullBuffersAreSaidOnceAndTheEndLineCountsWhatTheFileHolds) {
    Start(64 << 10);
    const int small = 32 << 10;  // below what the program would ask for
    setsockopt(m_pView->Socket()->m_hSocket, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    m_stream = MakeTestStream(4300, false);
    uint64_t sent = 0;
    ShowWatch watch([&] {
        for (size_t from = 2000; from < 4000; from += 100) {
            sent += Send(from, from + 100);
            // The stimulus: a pause in the stream, in which the box's loop reads and writes.
            WaitUntil([] { return false; }, 20);
        }
    });
    sent += Send(0, 2000);  // overflows both buffers while the window is busy here
    ASSERT_TRUE(WaitUntil([&] { return sent == 4000 && m_driver.m_messages.size() == 1; }, 10000));
    sent += Send(4000, 4300);  // queued and in the kernel when the window goes
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
    ExpectFileOfArrivals(written);
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
