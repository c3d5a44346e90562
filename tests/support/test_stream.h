// A transport stream as a multiplexer sends it, for the capture tests: datagrams of seven
// 188-byte packets over several PIDs and the null PID, with a legal duplicate and an announced
// discontinuity now and then, plain or in RTP. Each datagram's index is in its bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The stream's first count datagrams.
std::vector<std::string> MakeTestStream(size_t count, bool rtp);

// Continuity gaps that leaving out datagram index alone makes in a plain stream: one for each
// PID with payload in it, when the next datagram announces no discontinuity (index % 10 is
// not 5, 6 or 7).
inline constexpr uint64_t kGapsPerSkip = 3;

// The index in a datagram of the stream (plain or RTP), or UINT64_MAX when it is not one.
uint64_t TestStreamIndex(const std::string& datagram);
