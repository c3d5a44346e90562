// The stream checker's cost per datagram, beside the copy each capture makes of it anyway.
// Run a Release build:
//   cmake --preset release && cmake --build build/release --target stream_checker_bench
//   build/release/bench/stream_checker_bench
// Goal, printed as a ratio at the end: checking a 1,316-byte datagram of seven TS packets,
// plain or in RTP, costs at most twice copying it (BM_CopyDatagram).
#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "ratio_reporter.h"
#include "stream_checker.h"

namespace {

constexpr size_t kTsPacket = 188;
constexpr size_t kRtpHeader = 12;
// Few enough to stay in cache, as a datagram the capture has just received does; every
// PID's count comes round to where it started, so the stream runs on without a gap.
constexpr size_t kDatagrams = 64;

using Datagram = std::vector<std::byte>;

// Video on most packets, audio, a null packet: 1,316 bytes, plain or after an RTP header.
std::vector<Datagram> MakeStream(bool rtp) {
    std::vector<Datagram> stream;
    std::array<uint8_t, 3> counters{};
    for (size_t d = 0; d < kDatagrams; ++d) {
        Datagram datagram(rtp ? kRtpHeader : 0);
        if (rtp) {
            datagram[0] = std::byte{0x80};
            datagram[1] = std::byte{33};
        }
        for (const size_t which : {0, 0, 1, 0, 0, 2, 0}) {
            const unsigned pid = which == 0 ? 0x100 : which == 1 ? 0x101 : 0x1FFF;
            std::byte packet[kTsPacket];
            std::memset(packet, 0xA5, sizeof packet);
            packet[0] = std::byte{0x47};
            packet[1] = std::byte(pid >> 8);
            packet[2] = std::byte(pid & 0xFF);
            packet[3] = std::byte(0x10 | (counters[which]++ & 0x0F));
            datagram.insert(datagram.end(), packet, packet + sizeof packet);
        }
        stream.push_back(std::move(datagram));
    }
    return stream;
}

// The anchor: the datagram copied once, as the capture stores it.
void BM_CopyDatagram(benchmark::State& state) {
    const std::vector<Datagram> stream = MakeStream(false);
    std::vector<std::byte> store(stream[0].size());
    size_t i = 0;
    for (auto _ : state) {
        const Datagram& datagram = stream[i++ % kDatagrams];
        std::memcpy(store.data(), datagram.data(), datagram.size());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CopyDatagram);

void BM_StreamChecker(benchmark::State& state, bool rtp) {
    std::vector<Datagram> stream = MakeStream(rtp);
    StreamChecker checker;
    uint16_t sequence = 0;
    size_t i = 0;
    const auto checkNext = [&] {
        Datagram& datagram = stream[i++ % kDatagrams];
        if (rtp) {
            datagram[2] = std::byte(sequence >> 8);
            datagram[3] = std::byte(sequence & 0xFF);
            ++sequence;
        }
        checker.Check(datagram.data(), datagram.size(), 0);
    };
    // Past the deciding of the kind: what the rest of a capture costs.
    for (size_t n = 0; n < kDatagrams; ++n) {
        checkNext();
    }
    for (auto _ : state) {
        checkNext();
    }
    const StreamCheckFigures figures = checker.Figures();
    if (figures.kind != (rtp ? StreamKind::RtpTs : StreamKind::Ts) || figures.lostBefore != 0 ||
        figures.continuityGaps != 0) {
        state.SkipWithError("the stream was not checked as one without loss");
    }
}
BENCHMARK_CAPTURE(BM_StreamChecker, plain, false);
BENCHMARK_CAPTURE(BM_StreamChecker, rtp, true);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("check plain TS / copy", "BM_StreamChecker/plain", "BM_CopyDatagram", 2);
    reporter.PrintRatio("check RTP / copy", "BM_StreamChecker/rtp", "BM_CopyDatagram", 2);
    benchmark::Shutdown();
    return 0;
}
