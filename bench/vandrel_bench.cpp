// Speed goals of the traffic monitor, each beside an anchor measured in the same run.
// Run a Release build (the view renders off screen, no display is needed):
//   cmake --preset release && cmake --build build/release && build/release/bench/vandrel_bench
// Goals, printed as ratios at the end:
// - BM_RegQueryValueEx (one fresh query: a kernel read, the block built and copied) at most
//   2 times BM_NetlinkDump (a bare loop that sends the same dump request and reads the reply).
// - BM_DrawingPass/tick/1000 at most 12 times /100: a pass grows linearly with the interfaces.
// Each tick starts from a fresh kernel read, as a pass a second after the last does, and draws
// every interface's lines and graph in a window of the program's width, the rates changing
// from one second to the next as real traffic's do; tick_and_paint adds the paint the tick
// schedules; tick_no_reuse shows what the shared read saves (each of a pass's 2n queries then
// reads and builds a block of n interfaces afresh).
#include <benchmark/benchmark.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>

#include "perf_data_source.h"
#include "perf_records.h"
#include "ratio_reporter.h"
#include "registry.h"
#include "resource_tables.h"
#include "traffic_counter.h"
#include "vandrel_view.h"

namespace {

using namespace std::chrono_literals;

// The machine is shared: each figure is the least of five runs, the one least disturbed.
void LeastOfFive(benchmark::internal::Benchmark* benchmark) {
    benchmark->Unit(benchmark::kMicrosecond)
        ->Repetitions(5)
        ->ReportAggregatesOnly(true)
        ->ComputeStatistics("least", [](const std::vector<double>& runs) {
            return *std::min_element(runs.begin(), runs.end());
        });
}

// The anchor: one RTM_GETLINK dump read to its end, nothing parsed.
void BM_NetlinkDump(benchmark::State& state) {
    const int fd = socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (fd < 0) {
        state.SkipWithError("netlink unavailable");
        return;
    }
    alignas(nlmsghdr) static char buffer[64 * 1024];
    std::uint32_t sequence = 0;
    for (auto _ : state) {
        struct {
            nlmsghdr header;
            ifinfomsg body;
        } request{};
        request.header.nlmsg_len = sizeof request;
        request.header.nlmsg_type = RTM_GETLINK;
        request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
        request.header.nlmsg_seq = ++sequence;
        request.body.ifi_family = AF_UNSPEC;
        send(fd, &request, sizeof request, 0);
        for (bool done = false; !done;) {
            const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) {
                break;
            }
            int left = static_cast<int>(n);
            for (auto* header = reinterpret_cast<nlmsghdr*>(buffer); NLMSG_OK(header, left);
                 header = NLMSG_NEXT(header, left)) {
                done =
                    done || header->nlmsg_type == NLMSG_DONE || header->nlmsg_type == NLMSG_ERROR;
            }
        }
    }
    close(fd);
}
BENCHMARK(BM_NetlinkDump)->Apply(LeastOfFive);

void BM_ReadLinkStats(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<InterfaceSample> samples;
        if (ReadLinkStats(samples) != 0) {
            state.SkipWithError("netlink unavailable");
            break;
        }
        benchmark::DoNotOptimize(samples);
    }
}
BENCHMARK(BM_ReadLinkStats)->Apply(LeastOfFive);

void BM_RegQueryValueEx(benchmark::State& state) {
    SetPerfDataSnapshotReuse(0ns);
    std::vector<BYTE> buffer(CTrafficCounter::kQueryStep);
    for (auto _ : state) {
        DWORD size = static_cast<DWORD>(buffer.size());
        if (RegQueryValueExA(HKEY_PERFORMANCE_DATA, kNetworkInterfaceValueName.data(), nullptr,
                             nullptr, buffer.data(), &size) != ERROR_SUCCESS) {
            state.SkipWithError("query failed");
            break;
        }
        benchmark::DoNotOptimize(buffer.data());
    }
    SetPerfDataSnapshotReuse(kDefaultSnapshotReuse);
}
BENCHMARK(BM_RegQueryValueEx)->Apply(LeastOfFive);

// Timer ticks of a shown view over state.range(0) synthesised interfaces whose counters grow
// between reads, by amounts that change from one read to the next.
void BM_DrawingPass(benchmark::State& state, std::chrono::nanoseconds reuse, bool paint) {
    const auto count = static_cast<std::size_t>(state.range(0));
    std::vector<InterfaceSample> samples;
    for (std::size_t i = 0; i < count; ++i) {
        samples.push_back({"eth" + std::to_string(i), i << 20, i << 21, 1'000'000'000});
    }
    std::uint64_t reads = 0;
    SetInterfaceSampleSource([&samples, &reads](std::vector<InterfaceSample>& out) {
        ++reads;
        for (InterfaceSample& sample : samples) {
            sample.rxBytes += 1500 + 1024 * (reads % 7);
            sample.txBytes += 1000 + 1024 * (reads % 5);
        }
        out = samples;
        return 0;
    });
    SetPerfDataSnapshotReuse(reuse);
    {
        std::unique_ptr<CVandrelView> view(
            dynamic_cast<CVandrelView*>(RUNTIME_CLASS(CVandrelView)->CreateObject()));
        view->Create(nullptr, nullptr);
        view->OnInitialUpdate();
        view->KillTimer(2);
        view->GetSafeHwnd()->resize(400, 300);  // the client width of the program's window
        view->ShowWindow(SW_SHOW);
        for (auto _ : state) {
            SetPerfDataSnapshotReuse(reuse);  // drops the last read: the pass reads afresh
            view->SendMessage(WM_TIMER, 2);
            if (paint) {
                QCoreApplication::processEvents();
            }
        }
        // Three lines and at least a graph's frame for every interface.
        if (view->GetRetainedSurface().size() < 4 * count) {
            state.SkipWithError("not every interface was drawn");
        }
    }
    SetInterfaceSampleSource({});
    SetPerfDataSnapshotReuse(kDefaultSnapshotReuse);
}
BENCHMARK_CAPTURE(BM_DrawingPass, tick, kDefaultSnapshotReuse, false)
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->Apply(LeastOfFive);
BENCHMARK_CAPTURE(BM_DrawingPass, tick_and_paint, kDefaultSnapshotReuse, true)
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->Apply(LeastOfFive);
BENCHMARK_CAPTURE(BM_DrawingPass, tick_no_reuse, 0ns, false)->Arg(10)->Arg(100)->Apply(LeastOfFive);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    QApplication application(argc, argv);
    glue::SetResources(VandrelResources());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("query / bare netlink dump", "BM_RegQueryValueEx", "BM_NetlinkDump", 2);
    reporter.PrintRatio("pass of 1000 / pass of 100 interfaces", "BM_DrawingPass/tick/1000",
                        "BM_DrawingPass/tick/100", 12);
    reporter.PrintRatio("painted pass of 1000 / of 100", "BM_DrawingPass/tick_and_paint/1000",
                        "BM_DrawingPass/tick_and_paint/100", 12);
    benchmark::Shutdown();
    return 0;
}
