// The loss-free rate of the unicast capture (a ticking CVandrelView, offscreen), with its
// stream checks and without them ("unchecked"), beside the ceiling (one thread: recvmmsg and
// writev to a file), as medians of three sweeps, with each one's CPU time per datagram and the
// checks' own cost; with --tools, socat and multicat too; the capture through a one-second
// stall of the user-interface thread; with --multicast, the same for the multicast capture and
// the others joined to its group, in a network namespace of the benchmark's own.
// Run by scripts/bench-capture.sh; prints figures, asserts none.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/udp.h>
#include <pthread.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cstdlib>

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "capture_status.h"
#include "resource.h"
#include "resource_tables.h"
#include "ts_stream.h"
#include "udp_receive_socket.h"
#include "vandrel_view.h"

namespace {

using Clock = std::chrono::steady_clock;
// The group every receiver joins with --multicast; empty for unicast to loopback.
std::string g_group;
// The ceiling's kernel buffer, as the unicast capture takes it: 16 MiB, past rmem_max where
// allowed; --ceiling-buffer asks for less, within rmem_max, to see what the buffer alone is
// worth.
int g_ceilingBuffer = 16 << 20;
bool g_ceilingForced = true;
constexpr int kSenderCore = 0;
constexpr int kReceiverCore = 1;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void PinThisThread(int core) {
    if (std::thread::hardware_concurrency() < 2) {
        return;
    }
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(core, &set);
    pthread_setaffinity_np(pthread_self(), sizeof set, &set);
}

// Every receiver and the sender run in the lowest real-time class where allowed, as the
// capture's reader does, so that other load on the machine disturbs the figures less.
void SetRealtime(bool on) {
    const sched_param priority{on ? 1 : 0};
    pthread_setschedparam(pthread_self(), on ? SCHED_FIFO : SCHED_OTHER, &priority);
}

double ThreadCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

uint16_t FreePort() {
    const int s = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    close(s);
    return ntohs(address.sin_port);
}

// Paced sender on its own core: sendmmsg in batches, due counts taken from the clock.
class Sender {
public:
    void Start(uint16_t port, double mbps, double seconds) {
        m_done = false;
        m_thread = std::thread([=, this] { Run(port, mbps, seconds); });
    }
    bool Done() const { return m_done; }
    void Join() { m_thread.join(); }
    uint64_t m_sent = 0;
    double m_seconds = 0;
    double m_cpuSeconds = 0;  // the sender's own, to take from the process's

private:
    void Run(uint16_t port, double mbps, double seconds) {
        PinThisThread(kSenderCore);
        pthread_setname_np(pthread_self(), "sender");
        SetRealtime(true);
        // Segmentation offload: one send carries up to 48 datagrams, which the kernel splits
        // before they reach the receiver, so the sender is not the first to give up.
        constexpr unsigned kBatch = 48;
        const int s = socket(AF_INET, SOCK_DGRAM, 0);
        const int sendBuffer = 4 << 20;
        setsockopt(s, SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof sendBuffer);
        const int segment = kDatagram;
        setsockopt(s, SOL_UDP, UDP_SEGMENT, &segment, sizeof segment);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = g_group.empty() ? htonl(INADDR_LOOPBACK) : inet_addr(g_group.c_str());
        connect(s, reinterpret_cast<sockaddr*>(&to), sizeof to);
        std::vector<uint8_t> payload(kBatch * kDatagram);
        const double perSecond = mbps * 1e6 / 8 / kDatagram;
        const auto total = static_cast<uint64_t>(perSecond * seconds);
        const auto start = Clock::now();
        uint64_t sent = 0;
        double nextAllowed = 0;
        while (sent < total && SecondsSince(start) < seconds + 2) {
            const double now = SecondsSince(start);
            const auto due = std::min(total, static_cast<uint64_t>(now * perSecond));
            // Spinning keeps the pace exact; after a delay it catches up at twice the rate at
            // most, as a network would deliver it, not in one burst.
            if (due <= sent || now < nextAllowed) {
                continue;
            }
            const auto n = static_cast<unsigned>(std::min<uint64_t>(kBatch, due - sent));
            for (unsigned i = 0; i < n; ++i) {
                FillDatagram(&payload[i * kDatagram], sent + i);
            }
            if (send(s, payload.data(), n * kDatagram, 0) == static_cast<ssize_t>(n * kDatagram)) {
                sent += n;
                nextAllowed = now + n / (2 * perSecond);
            }
        }
        m_seconds = SecondsSince(start);
        m_sent = sent;
        close(s);
        m_cpuSeconds = ThreadCpuSeconds();
        m_done = true;
    }
    std::thread m_thread;
    std::atomic<bool> m_done{false};
};

struct Outcome {
    uint64_t sent = 0;
    double mbps = 0;  // achieved by the sender
    uint64_t lost = 0;
    uint64_t duplicated = 0;
    uint64_t reordered = 0;
    uint64_t corrupt = 0;
    uint64_t dropped = -1ULL;  // what the receiver itself counted, where it can
    bool lossFree = false;
    double cpuPerDatagram = 0;  // seconds of the receiver's threads, in this process
};

// The receiver's CPU time since cpuBefore per datagram sent: the process's, less the
// sender's; taken before the file is checked.
double CpuPerDatagram(double cpuBefore, const Sender& sender) {
    const double seconds = ProcessCpuSeconds() - cpuBefore - sender.m_cpuSeconds;
    return sender.m_sent > 0 ? seconds / static_cast<double>(sender.m_sent) : 0;
}

Outcome Check(const Sender& sender, const std::string& path) {
    Outcome o;
    o.sent = sender.m_sent;
    o.mbps = sender.m_sent * kDatagram * 8 / 1e6 / sender.m_seconds;
    StreamCheck check(sender.m_sent);
    std::ifstream file(path, std::ios::binary);
    std::vector<uint8_t> chunk(kTsPacket * 5000);  // whole packets per read
    while (file.read(reinterpret_cast<char*>(chunk.data()),
                     static_cast<std::streamsize>(chunk.size())) ||
           file.gcount() > 0) {
        check.AddBytes(chunk.data(), static_cast<size_t>(file.gcount()));
    }
    o.lost = check.Lost();
    o.duplicated = check.m_duplicated;
    o.reordered = check.m_reordered;
    o.corrupt = check.m_corrupt;
    o.lossFree = check.LossFree();
    return o;
}

long long SizeOf(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    return error ? 0 : static_cast<long long>(size);
}

// Runs the event loop as the program's would (sleeping when idle) until done() holds or
// limitSeconds pass; step() runs every 20 ms.
void RunEventLoopUntil(const std::function<bool()>& done, double limitSeconds,
                       const std::function<void()>& step = {}) {
    QEventLoop loop;
    QTimer poll;
    const auto start = Clock::now();
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (step) {
            step();
        }
        if (done() || SecondsSince(start) > limitSeconds) {
            loop.quit();
        }
    });
    poll.start(20);
    loop.exec();
}

// Waits (bounded) until count() stops changing for 300 ms, the event loop running.
void WaitQuiet(const std::function<long long()>& count) {
    long long last = -1;
    auto stableSince = Clock::now();
    RunEventLoopUntil(
        [&] {
            const long long now = count();
            if (now != last) {
                last = now;
                stableSince = Clock::now();
            }
            return SecondsSince(stableSince) > 0.3;
        },
        15);
}

// Waits (bounded) until some socket is bound to the UDP port.
void WaitBound(uint16_t port) {
    char needle[16];
    std::snprintf(needle, sizeof needle, ":%04X ", port);
    for (int i = 0; i < 250; ++i) {
        std::ifstream table("/proc/net/udp");
        for (std::string line; std::getline(table, line);) {
            if (line.find(needle) != std::string::npos && line.find(needle) < 30) {
                return;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// --- the receivers -----------------------------------------------------------------------

class BenchView : public CVandrelView {
public:
    CUdpReceiveSocket* Socket() const { return m_hSocket; }
    HANDLE Thread() const { return m_hThread; }
};

// Answers the port dialog through its widgets and prints any message box.
class DialogAnswer {
public:
    explicit DialogAnswer(uint16_t port) : m_port(QString::number(port)) {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                std::fprintf(stderr, "capture says: %s\n", box->text().toUtf8().constData());
                box->accept();
            } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                // The port edit takes digits only; the group stays as the dialog offers it.
                for (QLineEdit* edit : dialog->findChildren<QLineEdit*>()) {
                    if (edit->validator() != nullptr) {
                        edit->setText(m_port);
                    }
                }
                for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
                    if (button->isDefault()) {
                        button->click();
                    }
                }
            }
        });
        m_timer.start(5);
    }

private:
    QString m_port;
    QTimer m_timer;
};

// Resident memory of this process, in MiB.
double ResidentMiB() {
    std::ifstream statm("/proc/self/statm");
    long long pages = 0;
    long long resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident * sysconf(_SC_PAGESIZE)) / (1 << 20);
}

// Resident memory around the capture: before and at the end of the stall, and once the
// capture has caught up and gone quiet (before the view goes).
struct Memory {
    double before = 0;
    double during = 0;
    double after = 0;
};

Outcome RunCapture(const std::string& prefix, double mbps, double seconds, bool stall,
                   int* pReceiveBuffer = nullptr, Memory* pMemory = nullptr) {
    const uint16_t port = FreePort();
    auto* view = new BenchView;
    view->Create(nullptr, nullptr);
    view->OnInitialUpdate();  // timer 2 ticks as in the program
    const std::string path =
        prefix + (g_group.empty() ? "/drives/d/ReceivedUDP.ts" : "/drives/d/receivedMulticast.ts");
    std::filesystem::remove(path);
    // Also answers the capture's message boxes, such as the one for losses at the limit.
    DialogAnswer answer(port);
    view->SendMessage(WM_COMMAND, g_group.empty() ? ID_UNICAST_RECEIVED : ID_MULTICAST_RECEIVED);
    // The multicast thread creates its file once it has joined the group.
    RunEventLoopUntil([&] { return std::filesystem::exists(path); }, 5);
    if (g_group.empty() ? view->Socket() == nullptr : !std::filesystem::exists(path)) {
        delete view;
        return {};
    }
    if (pReceiveBuffer != nullptr && view->Socket() != nullptr) {
        socklen_t length = sizeof *pReceiveBuffer;
        getsockopt(view->Socket()->m_hSocket, SOL_SOCKET, SO_RCVBUF, pReceiveBuffer, &length);
    }
    Sender sender;
    const double cpuBefore = ProcessCpuSeconds();
    sender.Start(port, mbps, seconds);
    const auto start = Clock::now();
    bool stalled = false;
    RunEventLoopUntil(
        [&] { return sender.Done(); }, seconds + 5,
        [&] {
            if (stall && !stalled && SecondsSince(start) > 1.0) {
                stalled = true;
                if (pMemory != nullptr) {
                    pMemory->before = ResidentMiB();
                }
                std::this_thread::sleep_for(std::chrono::seconds(1));  // the UI thread is held
                if (pMemory != nullptr) {
                    pMemory->during = ResidentMiB();
                }
            }
        });
    sender.Join();
    WaitQuiet([&] { return SizeOf(path) + g_nRecvFill; });
    if (pMemory != nullptr) {
        pMemory->after = ResidentMiB();
    }
    const uint64_t dropped = view->Socket() != nullptr ? view->Socket()->GetDroppedCount() : -1ULL;
    delete view;  // writes what is still held
    const double cpu = CpuPerDatagram(cpuBefore, sender);
    Outcome o = Check(sender, path);
    o.dropped = dropped;
    o.cpuPerDatagram = cpu;
    return o;
}

// What the program's own loop would be with nothing between the kernel and the file: one
// thread, recvmmsg of 64, one writev of them to the file, on the receiver's core and with the
// kernel buffer the capture's socket had.
Outcome RunCeiling(const std::string& prefix, double mbps, double seconds) {
    const uint16_t port = FreePort();
    const int s = socket(AF_INET, SOCK_DGRAM, 0);
    int size = g_ceilingBuffer;
    if (!g_ceilingForced || setsockopt(s, SOL_SOCKET, SO_RCVBUFFORCE, &size, sizeof size) != 0) {
        setsockopt(s, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    }
    timeval timeout{0, 50000};
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    if (!g_group.empty()) {
        const int all = 0;
        setsockopt(s, IPPROTO_IP, IP_MULTICAST_ALL, &all, sizeof all);
        ip_mreq mreq{};
        mreq.imr_multiaddr.s_addr = inet_addr(g_group.c_str());
        setsockopt(s, IPPROTO_IP, IP_ADD_MEMBERSHIP, &mreq, sizeof mreq);
    }
    const std::string path = prefix + "/ceiling.ts";
    const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    Sender sender;
    const double cpuBefore = ProcessCpuSeconds();
    sender.Start(port, mbps, seconds);
    constexpr unsigned kBatch = 64;
    std::vector<uint8_t> payload(kBatch * 2048);
    mmsghdr headers[kBatch]{};
    iovec vectors[kBatch]{};
    iovec written[kBatch]{};
    auto quietSince = Clock::now();
    SetRealtime(true);
    while (!sender.Done() || SecondsSince(quietSince) < 0.3) {
        for (unsigned i = 0; i < kBatch; ++i) {
            vectors[i] = {&payload[i * 2048], 2048};
            headers[i].msg_hdr.msg_iov = &vectors[i];
            headers[i].msg_hdr.msg_iovlen = 1;
        }
        const int n = recvmmsg(s, headers, kBatch, MSG_WAITFORONE, nullptr);
        for (int i = 0; i < n; ++i) {
            written[i] = {vectors[i].iov_base, headers[i].msg_len};
        }
        if (n > 0) {
            [[maybe_unused]] const ssize_t done = writev(file, written, n);
            quietSince = Clock::now();
        }
    }
    SetRealtime(false);
    sender.Join();
    close(s);
    close(file);
    const double cpu = CpuPerDatagram(cpuBefore, sender);
    Outcome o = Check(sender, path);
    o.cpuPerDatagram = cpu;
    std::filesystem::remove(path);
    return o;
}

Outcome RunTool(const std::string& tool, const std::string& folder, double mbps, double seconds) {
    const uint16_t port = FreePort();
    const std::string path = folder + "/" + tool + ".ts";
    std::filesystem::remove(path);
    std::vector<std::string> args = {"chrt",    "-f", "1",
                                     "taskset", "-c", std::to_string(kReceiverCore)};
    if (tool == "socat") {
        for (const char* a : {"socat", "-u"}) {
            args.emplace_back(a);
        }
        args.push_back("UDP-RECV:" + std::to_string(port) +
                       (g_group.empty() ? "" : ",ip-add-membership=" + g_group + ":0.0.0.0"));
        args.push_back("OPEN:" + path + ",creat,trunc");
    } else {
        for (const char* a : {"multicat", "-u", "-U"}) {
            args.emplace_back(a);
        }
        args.push_back("@" + (g_group.empty() ? std::string("127.0.0.1") : g_group) + ":" +
                       std::to_string(port));
        args.push_back(path);
    }
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, "chrt", nullptr, nullptr, argv.data(), environ) != 0) {
        return {};
    }
    WaitBound(port);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // bound, then joined
    Sender sender;
    sender.Start(port, mbps, seconds);
    while (!sender.Done()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    sender.Join();
    WaitQuiet([&] { return SizeOf(path); });
    kill(pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 100 && waitpid(pid, &status, WNOHANG) == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (waitpid(pid, &status, WNOHANG) == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    Outcome o = Check(sender, path);
    std::filesystem::remove(path);
    return o;
}

// --- the report ------------------------------------------------------------------------------

void PrintOutcome(const char* receiver, double target, const Outcome& o) {
    std::printf(
        "%-9s target %6.0f Mbit/s  sent %6.0f Mbit/s %9llu dgrams  lost %llu pkts  dup %llu"
        "  reord %llu  corrupt %llu",
        receiver, target, o.mbps, static_cast<unsigned long long>(o.sent),
        static_cast<unsigned long long>(o.lost), static_cast<unsigned long long>(o.duplicated),
        static_cast<unsigned long long>(o.reordered), static_cast<unsigned long long>(o.corrupt));
    if (o.dropped != -1ULL) {
        std::printf("  counted-dropped %llu", static_cast<unsigned long long>(o.dropped));
    }
    std::printf("  %s\n", o.lossFree ? "LOSS-FREE" : "LOSSY");
    std::fflush(stdout);
}

// What the checks add to each datagram on the consumer's side: the capture's per-datagram call
// with them and without, over the benchmark's own stream, best of five rounds each.
double ArrivalNanoseconds(bool checks) {
    SetStreamChecks(checks);
    constexpr int kDatagrams = 200000;
    // 1,008 datagrams are 7,056 packets, 147 turns of every PID's counter: the round goes on
    // seamlessly from its last datagram to its first.
    constexpr size_t kRound = 1008;
    std::vector<uint8_t> stream(kDatagram * kRound);
    for (size_t i = 0; i < kRound; ++i) {
        FillDatagram(&stream[i * kDatagram], i);
    }
    double best = 1e9;
    for (int round = 0; round < 5; ++round) {
        CCaptureStatus status;
        status.Start(":0");
        const auto start = Clock::now();
        for (int i = 0; i < kDatagrams; ++i) {
            const auto* data =
                reinterpret_cast<const std::byte*>(&stream[(i % kRound) * kDatagram]);
            status.Arrived(data, kDatagram, 0);
        }
        best = std::min(best, SecondsSince(start) * 1e9 / kDatagrams);
        if (status.GetStreamFigures().lostBefore != 0) {
            std::printf("the checks found gaps in a stream without any\n");
        }
    }
    SetStreamChecks(true);
    return best;
}

void PrintCheckCost() {
    const double with = ArrivalNanoseconds(true);
    const double without = ArrivalNanoseconds(false);
    std::printf(
        "checks per datagram (7 TS packets, 3 PIDs): %.1f ns with, %.1f ns without, cost %.1f "
        "ns\n",
        with, without, with - without);
}

Outcome RunReceiver(const std::string& r, const std::string& prefix, double rate, double seconds) {
    if (r == "ceiling") {
        return RunCeiling(prefix, rate, seconds);
    }
    if (r == "unchecked") {
        SetStreamChecks(false);
        const Outcome o = RunCapture(prefix, rate, seconds, false);
        SetStreamChecks(true);
        return o;
    }
    if (r == "capture") {
        return RunCapture(prefix, rate, seconds, false);
    }
    return RunTool(r, prefix, rate, seconds);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Three sweeps, the receivers taking turns within each so that load on the machine falls on
// all alike: rates in turn, one try each, up to the first that loses anything. A receiver's
// figure is the median of its three sweeps' highest loss-free rates.
int RunRates(const std::string& prefix, const std::vector<double>& rates, double seconds,
             const std::vector<std::string>& receivers) {
    constexpr int kSweeps = 3;
    std::map<std::string, std::vector<double>> lossFree;
    for (int sweep = 1; sweep <= kSweeps; ++sweep) {
        std::printf("sweep %d of %d\n", sweep, kSweeps);
        for (const std::string& r : receivers) {
            double highest = 0;
            for (const double rate : rates) {
                const Outcome o = RunReceiver(r, prefix, rate, seconds);
                PrintOutcome(r.c_str(), rate, o);
                if (!o.lossFree || o.mbps < 0.95 * rate) {
                    break;
                }
                highest = rate;
            }
            lossFree[r].push_back(highest);
        }
    }
    // The cost per datagram at a rate every receiver keeps up with.
    constexpr double kCostRate = 400;
    std::map<std::string, double> cost;
    for (const std::string& r : receivers) {
        std::vector<double> tries;
        for (int i = 0; i < kSweeps; ++i) {
            tries.push_back(RunReceiver(r, prefix, kCostRate, seconds).cpuPerDatagram);
        }
        cost[r] = Median(tries);
    }
    std::printf(
        "\nloss-free rate (Mbit/s, median of %d sweeps) and CPU per datagram at %.0f "
        "Mbit/s (median of %d):\n",
        kSweeps, kCostRate, kSweeps);
    for (const std::string& r : receivers) {
        std::printf("  %-9s %6.0f   (", r.c_str(), Median(lossFree[r]));
        for (const double rate : lossFree[r]) {
            std::printf(" %.0f", rate);
        }
        std::printf(" )   %6.0f ns\n", cost[r] * 1e9);
    }
    if (lossFree.count("ceiling") != 0 && lossFree.count("capture") != 0) {
        const double ceiling = Median(lossFree["ceiling"]);
        const double ratio = ceiling > 0 ? Median(lossFree["capture"]) / ceiling : 0;
        std::printf("capture / ceiling = %.2f (goal >= 0.80)\n", ratio);
    }
    if (lossFree.count("unchecked") != 0 && Median(lossFree["unchecked"]) > 0) {
        std::printf("capture / unchecked capture = %.2f\n",
                    Median(lossFree["capture"]) / Median(lossFree["unchecked"]));
    }
    PrintCheckCost();
    return 0;
}

int RunStall(const std::string& prefix, double seconds) {
    std::ifstream rmem("/proc/sys/net/core/rmem_max");
    long rmemMax = 0;
    rmem >> rmemMax;
    int receiveBuffer = 0;
    Memory memory;
    const Outcome o = RunCapture(prefix, 200, seconds, true, &receiveBuffer, &memory);
    std::printf(
        "stall: UI thread held 1 s at 200 Mbit/s; net.core.rmem_max %ld, socket "
        "SO_RCVBUF %d\n",
        rmemMax, receiveBuffer);
    PrintOutcome("capture", 200, o);
    std::printf(
        "stall: resident memory before %.1f MiB, at the end of the stall %.1f MiB, "
        "caught up %.1f MiB\n",
        memory.before, memory.during, memory.after);
    return 0;
}

// The program's resident memory idle (a ticking view) and after a minute of capturing a
// 100 Mbit/s stream that it keeps up with; the goal is at most 48 MiB more.
int RunMemory(const std::string& prefix, double seconds) {
    {
        auto* idle = new BenchView;
        idle->Create(nullptr, nullptr);
        idle->OnInitialUpdate();
        RunEventLoopUntil([] { return false; }, 2, [] {});
        delete idle;
    }
    const double idle = ResidentMiB();
    Memory memory;
    const Outcome o = RunCapture(prefix, 100, seconds, false, nullptr, &memory);
    PrintOutcome("capture", 100, o);
    std::printf(
        "memory: resident idle %.1f MiB, after %.0f s at 100 Mbit/s %.1f MiB: %+.1f MiB "
        "(goal <= +48)\n",
        idle, seconds, memory.after, memory.after - idle);
    return 0;
}

}  // namespace

void PrintLoad(const char* when) {
    std::ifstream file("/proc/loadavg");
    std::string load;
    std::getline(file, load);
    std::printf("load average %s: %s\n", when, load.c_str());
}

// A network namespace with lo up, multicast on it and a route for every group.
bool EnterNetworkNamespace() {
    if (unshare(CLONE_NEWNET) != 0) {
        std::perror("unshare -n");
        return false;
    }
    return std::system("ip link set lo up multicast on && ip route add 224.0.0.0/4 dev lo") == 0;
}

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--multicast") {
            g_group = "228.7.7.7";
            // As the multicast capture takes it: rmem_max, not forced past it.
            std::ifstream rmem("/proc/sys/net/core/rmem_max");
            rmem >> g_ceilingBuffer;
            g_ceilingForced = false;
            if (!EnterNetworkNamespace()) {
                std::fprintf(stderr, "no network namespace for the multicast run\n");
                return 1;
            }
            std::printf("multicast to %s, every receiver joined, in a network namespace\n",
                        g_group.c_str());
        }
    }
    PinThisThread(kReceiverCore);  // every thread made from here on shares this core
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // The capture files go where TMPDIR says: the file system is part of what is measured.
    const char* tmp = std::getenv("TMPDIR");
    std::string folder =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/vandrel-bench-XXXXXX";
    const std::string prefix = mkdtemp(folder.data());
    setenv("VANDREL_PREFIX", prefix.c_str(), 1);
    double seconds = 3;
    bool stall = false;
    bool memory = false;
    std::vector<std::string> receivers = {"ceiling", "capture", "unchecked"};
    std::vector<double> rates = {200, 400, 800, 1200, 1600, 2400, 3200, 4000, 4800};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--stall") {
            stall = true;
        } else if (arg == "--ceiling-buffer" && i + 1 < argc) {
            g_ceilingBuffer = std::stoi(argv[++i]);
            g_ceilingForced = false;
        } else if (arg == "--memory") {
            memory = true;
        } else if (arg == "--only" && i + 1 < argc) {
            receivers = {argv[++i]};
        } else if (arg == "--tools") {
            receivers.insert(receivers.end(), {"socat", "multicat"});
        } else if (arg == "--seconds" && i + 1 < argc) {
            seconds = std::stod(argv[++i]);
        } else if (arg == "--rates" && i + 1 < argc) {
            rates.clear();
            std::stringstream list(argv[++i]);
            for (std::string rate; std::getline(list, rate, ',');) {
                rates.push_back(std::stod(rate));
            }
        }
    }
    QApplication application(argc, argv);
    glue::SetResources(VandrelResources());
    PrintLoad("before");
    const int result = memory  ? RunMemory(prefix, seconds)
                       : stall ? RunStall(prefix, seconds)
                               : RunRates(prefix, rates, seconds, receivers);
    PrintLoad("after");
    std::filesystem::remove_all(prefix);
    return result;
}
