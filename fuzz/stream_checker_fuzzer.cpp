// Any datagrams with any counts of local losses through the stream checker. The input is a
// list of records: a byte of losses, two bytes of length (big-endian), the datagram.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "stream_checker.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    StreamChecker checker;
    std::uint64_t handed = 0;
    std::vector<std::byte> datagram;
    while (size >= 3) {
        const std::uint64_t lost = data[0];
        const std::size_t length = std::min<std::size_t>(data[1] << 8 | data[2], size - 3);
        // An exact-size copy: a read past the datagram is a sanitizer error.
        datagram.assign(reinterpret_cast<const std::byte*>(data + 3),
                        reinterpret_cast<const std::byte*>(data + 3 + length));
        datagram.shrink_to_fit();
        checker.Check(datagram.data(), datagram.size(), lost);
        if (!std::equal(datagram.begin(), datagram.end(),
                        reinterpret_cast<const std::byte*>(data + 3))) {
            std::abort();  // the checker only reads
        }
        ++handed;
        data += 3 + length;
        size -= 3 + length;
    }
    const StreamCheckFigures figures = checker.Figures();
    const bool checks = figures.kind == StreamKind::Ts || figures.kind == StreamKind::RtpTs;
    if (figures.datagramsChecked + figures.datagramsNotCheckable > handed ||
        (figures.unit == LossUnit::None && figures.lostBefore != 0) ||
        (!checks && figures.kind != StreamKind::Undecided && figures.datagramsChecked != 0)) {
        std::abort();
    }
    return 0;
}
