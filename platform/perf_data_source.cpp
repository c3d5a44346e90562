#include "perf_data_source.h"

#include <unistd.h>

#include <cstring>
#include <mutex>
#include <string>

#include "perf_data.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Snapshot {
    std::vector<std::byte> block;
    Clock::time_point takenAt;
    std::uint64_t serial = 0;
    bool valid = false;
};

struct State {
    std::mutex lock;
    Snapshot snapshot;
    std::chrono::nanoseconds reuse = kDefaultSnapshotReuse;
    InterfaceSampleSource samples;
    RawPerfDataSource raw;
    std::uint64_t lastSerial = 0;
};

thread_local std::uint64_t t_lastServed = 0;

State& TheState() {
    static State state;
    return state;
}

std::u16string HostName() {
    char name[256] = {};
    gethostname(name, sizeof name - 1);
    std::u16string out;
    for (const char* p = name; *p != '\0'; ++p) {
        out.push_back(static_cast<unsigned char>(*p));
    }
    return out;
}

int TakeBlock(State& state, std::vector<std::byte>& block) {
    if (state.raw) {
        return state.raw(block);
    }
    std::vector<InterfaceSample> samples;
    if (const int err = state.samples ? state.samples(samples) : ReadLinkStats(samples); err != 0) {
        return err;
    }
    static const std::u16string hostName = HostName();
    block = BuildPerfDataBlock(samples, hostName);
    return 0;
}

}  // namespace

DWORD QueryPerfData(LPBYTE data, LPDWORD size) {
    if (size == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    State& state = TheState();
    std::lock_guard guard(state.lock);
    const auto now = Clock::now();
    if (!state.snapshot.valid || now - state.snapshot.takenAt > state.reuse) {
        std::vector<std::byte> block;
        if (TakeBlock(state, block) != 0) {
            state.snapshot.valid = false;
            return ERROR_FILE_NOT_FOUND;
        }
        state.snapshot = {std::move(block), now, ++state.lastSerial, true};
    }
    const auto& block = state.snapshot.block;
    if (data == nullptr || *size < block.size()) {
        *size = static_cast<DWORD>(block.size());
        return ERROR_MORE_DATA;
    }
    if (!block.empty()) {  // an empty vector's data() may be null, which memcpy must not get
        std::memcpy(data, block.data(), block.size());
    }
    *size = static_cast<DWORD>(block.size());
    t_lastServed = state.snapshot.serial;
    return ERROR_SUCCESS;
}

std::uint64_t LastPerfDataServed() {
    return t_lastServed;
}

bool PerfDataStillServed(std::uint64_t serial) {
    State& state = TheState();
    std::lock_guard guard(state.lock);
    return serial != 0 && state.snapshot.valid && state.snapshot.serial == serial &&
           Clock::now() - state.snapshot.takenAt <= state.reuse;
}

void SetPerfDataSnapshotReuse(std::chrono::nanoseconds maxAge) {
    State& state = TheState();
    std::lock_guard guard(state.lock);
    state.reuse = maxAge;
    state.snapshot.valid = false;
}

void SetInterfaceSampleSource(InterfaceSampleSource source) {
    State& state = TheState();
    std::lock_guard guard(state.lock);
    state.samples = std::move(source);
    state.snapshot.valid = false;
}

void SetRawPerfDataSource(RawPerfDataSource source) {
    State& state = TheState();
    std::lock_guard guard(state.lock);
    state.raw = std::move(source);
    state.snapshot.valid = false;
}
