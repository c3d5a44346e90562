// Any bytes as the text of /proc/net/netstat.
#include <cstdint>
#include <span>

#include "multicast_diagnosis.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    NetstatCounters counters;
    // Any answer will do: the fuzzer looks for crashes and reads past the bytes.
    (void)ParseNetstat(std::as_bytes(std::span(data, size)), counters);
    return 0;
}
