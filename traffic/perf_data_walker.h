// Walks a performance-data block as the traffic counter reads it, never outside its bytes.
// Used by CTrafficCounter and its fuzz target; pure, no allocation beyond the name scratch.
#pragma once

#include <cstddef>
#include <functional>
#include <span>

#include "win_types.h"

enum class PerfWalkResult {
    Walked,          // every object was visited, or the visitor stopped the walk
    CounterMissing,  // an object 510 defines no counter with the wanted index
    Malformed,       // a record lies outside the one holding it, or is shorter than its fields
};

// Visits each instance of each object 510 in data order with its NUL-terminated UTF-16
// name (valid during the call) and the value of counter `counterIndex`, read whole: 64 bits
// where the definition's CounterSize is 8, else 32; the last matching counter definition
// wins. The visitor returns false to end the walk. A block that is malformed anywhere, even
// past where the visitor would stop, is never visited.
PerfWalkResult WalkPerfData(std::span<const BYTE> data, DWORD counterIndex,
                            const std::function<bool(LPCWSTR name, ULONGLONG value)>& visit);
