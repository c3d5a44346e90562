// Whose loss each gap is, as a running unicast capture tells it: a test stream sent on loopback
// with datagrams the sender skips (lost before this host) and with the consumer held while the
// queue and the kernel's buffer overflow (lost here); the file holds every datagram that came.
#include <sys/socket.h>

#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "datagram_receiver.h"
#include "modal_driver.h"
#include "temp_prefix.h"
#include "test_stream.h"
#include "udp_receive_socket.h"
#include "udp_sender.h"
#include "wait.h"

namespace {

constexpr size_t kCount = 2000;

class CaptureStatus : public testing::Test {
protected:
    CaptureStatus() { g_nRecvFill = 0; }
    ~CaptureStatus() override { SetDatagramQueueBytes(0); }

    void Start() {
        m_pSocket = std::make_unique<CUdpReceiveSocket>(nullptr);
        ASSERT_TRUE(m_pSocket->Create(0));
        CString address;
        UINT port = 0;
        ASSERT_TRUE(m_pSocket->GetSockName(address, port));
        m_pSender = std::make_unique<UdpSender>(port);
    }
    // Sends the stream but the datagrams at skipped; true once the capture has seen each one
    // sent arrive or be lost here.
    bool Send(const std::vector<std::string>& stream, const std::set<size_t>& skipped = {},
              size_t from = 0, size_t to = kCount) {
        SendRange(stream, skipped, from, to);
        return Drained(m_nSent);
    }
    // Sends datagrams from up to to, without running the event loop: the capture reads
    // nothing meanwhile.
    void SendRange(const std::vector<std::string>& stream, const std::set<size_t>& skipped,
                   size_t from, size_t to) {
        for (size_t i = from; i < to; ++i) {
            if (skipped.count(i) == 0) {
                EXPECT_FALSE(m_pSender->SendBytes(stream[i]).empty()) << i;
                ++m_nSent;
            }
        }
    }
    bool Drained(uint64_t sent) {
        return WaitUntil(
            [&] {
                const CaptureStatusFigures figures = Figures();
                return figures.datagramsArrived + figures.capture.bufferFull == sent;
            },
            10000);
    }
    CaptureStatusFigures Figures() {
        CaptureStatusFigures figures;
        EXPECT_TRUE(m_pSocket->GetCaptureStatus(figures));
        return figures;
    }
    // Ends the capture; every datagram in the file is one that was sent, each once, in order,
    // and as many as arrived. Returns their indexes.
    std::vector<uint64_t> ExpectFileOfArrivals(const std::vector<std::string>& stream,
                                               uint64_t arrived) {
        std::vector<uint64_t> indexes;
        m_pSocket.reset();
        const std::string file = ReadFile(m_prefix.CapturePath());
        const size_t size = stream.front().size();
        EXPECT_EQ(file.size(), arrived * size);
        uint64_t next = 0;
        for (size_t offset = 0; offset + size <= file.size(); offset += size) {
            const std::string datagram = file.substr(offset, size);
            const uint64_t index = TestStreamIndex(datagram);
            if (index < next || index >= stream.size() || datagram != stream[index]) {
                ADD_FAILURE() << "not what was sent, at " << offset;
                break;
            }
            indexes.push_back(index);
            next = index + 1;
        }
        return indexes;
    }

    TempPrefix m_prefix;
    ModalDriver m_driver;
    std::unique_ptr<CUdpReceiveSocket> m_pSocket;
    std::unique_ptr<UdpSender> m_pSender;
    uint64_t m_nSent = 0;
};

// Every 97th datagram from the 20th on, each alone and never before a discontinuity.
std::set<size_t> Skips() {
    std::set<size_t> skipped;
    for (size_t i = 21; i < kCount; i += 97) {
        if (i % 10 >= 5 && i % 10 <= 7) {
            i += 3;
        }
        skipped.insert(i);
    }
    return skipped;
}

TEST_F(CaptureStatus, DatagramsTheSenderSkippedAreLostBeforeThisHostAsContinuityGaps) {
    Start();
    const auto stream = MakeTestStream(kCount, false);
    ASSERT_TRUE(Send(stream, Skips()));
    const CaptureStatusFigures figures = Figures();
    EXPECT_EQ(figures.stream.kind, StreamKind::Ts);
    EXPECT_EQ(figures.stream.unit, LossUnit::ContinuityGaps);
    EXPECT_EQ(figures.stream.lostBefore, Skips().size() * kGapsPerSkip);
    EXPECT_EQ(figures.capture.Lost(), 0u);
    EXPECT_EQ(figures.strWhat.str()[0], ':');
    ExpectFileOfArrivals(stream, kCount - Skips().size());
}

TEST_F(CaptureStatus, DatagramsTheSenderSkippedInRtpAreLostBeforeThisHostAsDatagrams) {
    Start();
    const auto stream = MakeTestStream(kCount, true);
    ASSERT_TRUE(Send(stream, Skips()));
    const CaptureStatusFigures figures = Figures();
    EXPECT_EQ(figures.stream.kind, StreamKind::RtpTs);
    EXPECT_EQ(figures.stream.unit, LossUnit::Datagrams);
    EXPECT_EQ(figures.stream.lostBefore, Skips().size());
    EXPECT_EQ(figures.capture.Lost(), 0u);
    ExpectFileOfArrivals(stream, kCount - Skips().size());
}

// The consumer is held while the stream comes: the queue fills, then the kernel's buffer,
// which drops the rest. Those are lost here, and none of their gaps is counted before.
class CaptureStatusOverflow : public CaptureStatus {
protected:
    void SetUp() override {
        SetDatagramQueueBytes(64 << 10);
        Start();
        const int small = 32 << 10;
        setsockopt(m_pSocket->m_hSocket, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    }
};

TEST_F(CaptureStatusOverflow, DatagramsTheBuffersDroppedAreLostHereNotBefore) {
    const auto stream = MakeTestStream(kCount, false);
    SendRange(stream, {}, 0, kCount);
    ASSERT_TRUE(Drained(kCount));
    const CaptureStatusFigures figures = Figures();
    ASSERT_GT(figures.capture.bufferFull, 0u) << "the buffers did not overflow";
    EXPECT_EQ(figures.capture.Lost(), kCount - figures.datagramsArrived);
    EXPECT_EQ(figures.stream.unit, LossUnit::ContinuityGaps);
    EXPECT_EQ(figures.stream.lostBefore, 0u);
    ExpectFileOfArrivals(stream, figures.datagramsArrived);
}

// Two bursts overflow the buffers, the capture draining between them: the sender's skips within
// the runs lost here, and beside them, are counted all the same.
TEST_F(CaptureStatusOverflow, InRtpBothFiguresAreExactWhateverLossesMeet) {
    const auto stream = MakeTestStream(kCount, true);
    SendRange(stream, Skips(), 0, kCount / 2);
    ASSERT_TRUE(Drained(m_nSent));
    ASSERT_TRUE(Send(stream, Skips(), kCount / 2, kCount));
    const CaptureStatusFigures figures = Figures();
    ASSERT_GT(figures.capture.bufferFull, 0u) << "the buffers did not overflow";
    EXPECT_EQ(figures.capture.Lost(), m_nSent - figures.datagramsArrived);
    EXPECT_EQ(figures.stream.unit, LossUnit::Datagrams);
    const std::vector<uint64_t> arrived = ExpectFileOfArrivals(stream, figures.datagramsArrived);
    ASSERT_FALSE(arrived.empty());
    // Those the sender skipped before the first datagram that came are nobody's to see.
    uint64_t seen = 0;
    for (const size_t skip : Skips()) {
        seen += skip > arrived.front() && skip < arrived.back() ? 1 : 0;
    }
    EXPECT_EQ(figures.stream.lostBefore, seen);
    EXPECT_GT(seen, Skips().size() / 3);
}

TEST_F(CaptureStatus, AStreamThatIsNotTsIsRecordedAsItCameAndNoGapIsCounted) {
    Start();
    std::string sent;
    for (int i = 0; i < 200; ++i) {
        if (i % 7 != 3) {
            sent += m_pSender->Send(1316);
        }
    }
    ASSERT_TRUE(WaitUntil([&] { return Figures().bytesArrived == sent.size(); }));
    const CaptureStatusFigures figures = Figures();
    EXPECT_EQ(figures.stream.kind, StreamKind::NotTs);
    EXPECT_EQ(figures.stream.unit, LossUnit::None);
    EXPECT_EQ(figures.stream.lostBefore, 0u);
    m_pSocket.reset();
    EXPECT_TRUE(ReadFile(m_prefix.CapturePath()) == sent);
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
    uint64_t readings = 0;
    for (int i = 0; i < 20000; ++i) {
        CaptureStatusFigures figures;
        if (status.GetFigures(figures)) {
            ++readings;
            ASSERT_EQ(figures.datagramsArrived, figures.capture.datagramsWritten);
            ASSERT_EQ(figures.bytesArrived, figures.capture.bytesWritten);
        }
    }
    consumer.join();
    CaptureStatusFigures figures;
    EXPECT_FALSE(status.GetFigures(figures)) << "no capture runs";
    RecordProperty("readings", std::to_string(readings));
}

}  // namespace
