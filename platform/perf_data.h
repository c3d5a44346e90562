// Builds the network-interface performance-data block (object 510) from interface samples.
// Used by the registry stand-in; pure, so tests and benchmarks can build blocks of any shape.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "link_stats.h"
#include "perf_records.h"

// One PERF_DATA_BLOCK holding object 510 with one instance per sample, in sample order,
// named by the sample's name and carrying counters 388, 264, 506 and 520 as 64-bit values.
std::vector<std::byte> BuildPerfDataBlock(const std::vector<InterfaceSample>& samples,
                                          std::u16string_view systemName);
