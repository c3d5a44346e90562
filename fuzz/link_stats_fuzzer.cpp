// Any bytes as one netlink dump reply datagram.
#include <cstdint>
#include <span>

#include "link_stats.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<InterfaceSample> samples;
    bool done = false;
    // Any answer will do: the fuzzer looks for crashes and reads past the bytes.
    (void)ParseLinkDump(std::as_bytes(std::span(data, size)), samples, done);
    return 0;
}
