// Any bytes as one netlink address dump reply datagram.
#include <cstdint>
#include <span>

#include "interface_addresses.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<InterfaceAddress> addresses;
    bool done = false;
    // Any answer will do: the fuzzer looks for crashes and reads past the bytes.
    (void)ParseAddressDump(std::as_bytes(std::span(data, size)), addresses, done);
    return 0;
}
