// Any bytes through the walker, as a query may return them; every name is read to its end.
#include <cstdint>
#include <string>

#include "perf_data_walker.h"
#include "perf_records.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::size_t visited = 0;
    for (const DWORD counter : {kCurrentBandwidthCounter, kBytesSentCounter}) {
        WalkPerfData({data, size}, counter, [&](LPCWSTR name, ULONGLONG value) {
            visited += std::char_traits<char16_t>::length(name) + value % 2;
            return true;
        });
    }
    // The visitor may stop the walk; that path must be as safe.
    WalkPerfData({data, size}, kBytesReceivedCounter, [](LPCWSTR, ULONGLONG) { return false; });
    return visited == SIZE_MAX ? 1 : 0;
}
