// Any bytes as the kernel's reply to one RTM_GETROUTE request.
#include <cstdint>
#include <span>

#include "multicast_diagnosis.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    int index = 0;
    // Any answer will do: the fuzzer looks for crashes and reads past the bytes.
    (void)ParseRouteReply(std::as_bytes(std::span(data, size)), index);
    return 0;
}
