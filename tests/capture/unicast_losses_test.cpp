// Whose loss each gap is, as a running unicast capture tells it: a test stream sent on loopback
// with datagrams the sender skips (lost before this host) and with the consumer held while the
// queue and the kernel's buffer overflow (lost here); the file holds every datagram that came.
#include <gtest/gtest.h>

#include <QMessageBox>
#include <QTimer>
#include <optional>
#include <regex>
#include <set>
#include <thread>

#include "capture_fixture.h"
#include "test_stream.h"

namespace {

constexpr size_t kCount = 2000;

class UnicastLosses : public UnicastCapture {
protected:
    void SetUp() override { Restart(); }
    // A fresh window, capturing on a free port.
    void Restart() {
        m_pView = std::make_unique<View>();
        Unicast("0");
        m_sender.emplace(BoundPort());
    }
    CaptureStatusFigures Figures() const {
        CaptureStatusFigures figures;
        EXPECT_TRUE(m_pView->Socket()->GetCaptureStatus(figures));
        return figures;
    }
    // True once every one of sent datagrams has arrived or been lost here.
    bool Drained(uint64_t sent) {
        return WaitUntil(
            [&] {
                const CaptureStatusFigures figures = Figures();
                return figures.datagramsArrived + figures.capture.bufferFull == sent;
            },
            10000);
    }
    // Sends the stream but the datagrams at skipped, without running the event loop: the
    // capture reads nothing meanwhile. Returns how many went.
    uint64_t Send(const std::vector<std::string>& stream, const std::set<size_t>& skipped = {}) {
        uint64_t sent = 0;
        for (size_t i = 0; i < stream.size(); ++i) {
            sent += skipped.count(i) == 0 && !m_sender->SendBytes(stream[i]).empty() ? 1 : 0;
        }
        return sent;
    }
    // Ends the capture; every datagram in the file is one that was sent, each once, in order,
    // and as many as arrived.
    void ExpectFileOfArrivals(const std::vector<std::string>& stream, uint64_t arrived) {
        m_end = Close();
        const std::string file = ReadFile(m_prefix.CapturePath());
        const size_t size = stream.front().size();
        EXPECT_EQ(file.size(), arrived * size);
        for (uint64_t offset = 0, next = 0; offset + size <= file.size(); offset += size) {
            const uint64_t index = TestStreamIndex(file.substr(offset, size));
            ASSERT_TRUE(index >= next && index < stream.size() &&
                        file.compare(offset, size, stream[index]) == 0)
                << "not what was sent, at " << offset;
            next = index + 1;
        }
    }

    std::optional<UdpSender> m_sender;
    std::string m_end;  // the capture's end line
};

// Every 97th datagram from the 20th on, each alone and never before a discontinuity.
std::set<size_t> Skips() {
    std::set<size_t> skipped;
    for (size_t i = 21; i < kCount; i += 97) {
        skipped.insert(i % 10 >= 5 && i % 10 <= 7 ? i += 3 : i);
    }
    return skipped;
}

// Plain TS counts them as continuity gaps, RTP as the datagrams missing.
TEST_F(UnicastLosses, DatagramsTheSenderSkippedAreLostBeforeThisHost) {
    for (const bool rtp : {false, true}) {
        const auto stream = MakeTestStream(kCount, rtp);
        ASSERT_TRUE(Drained(Send(stream, Skips())));
        const CaptureStatusFigures figures = Figures();
        EXPECT_EQ(figures.stream.kind, rtp ? StreamKind::RtpTs : StreamKind::Ts);
        EXPECT_EQ(figures.stream.lostBefore, Skips().size() * (rtp ? 1 : kGapsPerSkip));
        EXPECT_EQ(figures.capture.Lost(), 0u);
        ExpectFileOfArrivals(stream, kCount - Skips().size());
        Restart();
    }
}

// The consumer is held while the stream comes: the queue fills, then the kernel's buffer,
// which drops the rest. Those are lost here, and none of their gaps is counted before.
class UnicastOverflow : public UnicastLosses {
protected:
    void SetUp() override {
        SetDatagramQueueBytes(64 << 10);
        Restart();
        const int small = 32 << 10;  // below what the program would ask for
        setsockopt(m_pView->Socket()->m_hSocket, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    }
    // The figures of the end line: bytes and datagrams written, datagrams lost.
    std::vector<uint64_t> EndFigures() {
        std::smatch match;
        EXPECT_TRUE(std::regex_search(
            m_end, match,
            std::regex(": ([0-9]+) bytes in ([0-9]+) datagrams written; ([0-9]+) datagrams lost "
                       "\\(\\3 receive buffer full, 0 longer than 15040 bytes, 0 not written\\); "
                       "lost here \\3 datagrams; lost before this host ")))
            << m_end;
        return match.empty() ? std::vector<uint64_t>(3)
                             : std::vector<uint64_t>{std::stoull(match[1]), std::stoull(match[2]),
                                                     std::stoull(match[3])};
    }
};

TEST_F(UnicastOverflow, FullBuffersAreSaidOnceAndTheEndLineCountsEveryDatagramSent) {
    const auto stream = MakeTestStream(kCount, false);
    ASSERT_TRUE(Drained(Send(stream)));
    ASSERT_TRUE(WaitUntil([] { return QApplication::activeModalWidget() == nullptr; }));
    const CaptureStatusFigures figures = Figures();
    ASSERT_GT(figures.capture.bufferFull, 0u) << "the buffers did not overflow";
    EXPECT_EQ(figures.stream.lostBefore, 0u);
    ExpectFileOfArrivals(stream, figures.datagramsArrived);
    ASSERT_EQ(m_driver.m_messages.size(), 1u);
    EXPECT_TRUE(std::regex_match(
        m_driver.m_messages[0],
        std::regex("Datagrams are lost = ([1-9][0-9]*) ! \\1 arrived while the receive buffer was "
                   "full, 0 were longer than 15040 bytes. The capture goes on.")))
        << m_driver.m_messages[0];
    EXPECT_EQ(EndFigures(),
              (std::vector<uint64_t>{figures.datagramsArrived * stream[0].size(),
                                     figures.datagramsArrived, kCount - figures.datagramsArrived}));
    EXPECT_NE(m_end.find("lost before this host 0 continuity gaps"), std::string::npos) << m_end;
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
TEST_F(UnicastOverflow, TheEndLineCountsWhatTheFileHoldsWhateverRanUnderTheLossBox) {
    uint64_t sent = 0;
    bool underTheBox = false;
    ShowWatch watch([&] {
        underTheBox = true;
        for (int round = 0; round < 20; ++round) {
            for (int i = 0; i < 100; ++i, ++sent) {
                m_sender->Send(1316);
            }
            // The stimulus: a pause in the stream, in which the box's loop reads and writes.
            WaitUntil([] { return false; }, 20);
        }
    });
    for (; sent < 2000; ++sent) {
        m_sender->Send(1316);  // overflows both buffers while the window is busy here
    }
    ASSERT_TRUE(WaitUntil([&] { return underTheBox && m_driver.m_messages.size() == 1; }, 10000));
    for (int i = 0; i < 300; ++i, ++sent) {
        m_sender->Send(1316);  // queued and in the kernel when the window goes
    }
    m_end = Close();
    const std::vector<uint64_t> end = EndFigures();
    EXPECT_EQ(end[0], static_cast<uint64_t>(FileSize(m_prefix.CapturePath())));
    EXPECT_EQ(end[1] * 1316, end[0]);
    EXPECT_EQ(end[1] + end[2], sent) << m_end;
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
    for (int i = 0; i < 20000; ++i) {
        CaptureStatusFigures figures;
        if (status.GetFigures(figures)) {
            ASSERT_EQ(figures.datagramsArrived, figures.capture.datagramsWritten);
            ASSERT_EQ(figures.bytesArrived, figures.capture.bytesWritten);
        }
    }
    consumer.join();
    CaptureStatusFigures figures;
    EXPECT_FALSE(status.GetFigures(figures)) << "no capture runs";
}

}  // namespace
