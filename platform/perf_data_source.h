// Serves HKEY_PERFORMANCE_DATA queries from a snapshot of the kernel's interface counters.
// Used by the registry stand-in; tests and benchmarks replace the source through the seams.
// Thread-safe: one lock guards the snapshot and the seams.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "link_stats.h"
#include "win_types.h"

// Copies the current object-510 block into `data` and sets *size to its length.
// Returns ERROR_SUCCESS; ERROR_MORE_DATA, with *size set to the need and `data` untouched,
// when `data` is null or *size is too small; ERROR_FILE_NOT_FOUND when the kernel's
// counters cannot be read.
[[nodiscard]] DWORD QueryPerfData(LPBYTE data, LPDWORD size);

// A view draws every interface with two queries each, a few microseconds apart. One
// kernel read serves every query within this age, so a pass costs one read, not 2n.
inline constexpr std::chrono::milliseconds kDefaultSnapshotReuse{200};
void SetPerfDataSnapshotReuse(std::chrono::nanoseconds maxAge);

// Each block read from the kernel or a seam gets a new serial number, never 0. A caller that
// keeps what it read from its last query may ask whether a query now would return the same
// block, and skip the query, its copy and its walk: that keeps a pass of 2n queries linear.
// The serial of the block that this thread's last successful QueryPerfData copied; 0 if none.
std::uint64_t LastPerfDataServed();
// True when a query made now would be answered with block `serial`, without a new read.
bool PerfDataStillServed(std::uint64_t serial);

// Seams. An empty function restores the kernel as the source. Setting either drops the
// current snapshot. A source fills its argument and returns 0, or returns an errno value when
// it has nothing to give, as ReadLinkStats does. A raw source's bytes are returned as they
// are, malformed or not.
using InterfaceSampleSource = std::function<int(std::vector<InterfaceSample>& samples)>;
void SetInterfaceSampleSource(InterfaceSampleSource source);
using RawPerfDataSource = std::function<int(std::vector<std::byte>& block)>;
void SetRawPerfDataSource(RawPerfDataSource source);
