// The regedit text format (.reg): version 5 in UTF-16LE with a BOM or in UTF-8, and REGEDIT4.
// Used by the machine registry to read its file; takes bytes, so tests and the fuzzer feed it any.
// Names keep the case they were written in: compare them with RegNamesEqual.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "registry_names.h"
#include "win_types.h"

inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_MULTI_SZ = 7;

struct RegeditValue {
    std::string name;  // UTF-8; empty for the default value "@"
    DWORD type = REG_NONE;
    // As RegQueryValueExA gives it: text types in UTF-8 with their terminating NUL.
    std::vector<BYTE> data;
};

struct RegeditKey {
    std::string path;  // as written between the brackets, root included
    std::vector<RegeditValue> values;
};

// Parses a whole file into keys in the order they first appear; a key listed twice is
// merged, and "[-key]" and "name"=- deletions are applied. Takes time in proportion to the
// file's size. Returns ERROR_SUCCESS, or ERROR_BADDB for anything not in the format (keys are
// then unspecified).
[[nodiscard]] DWORD ParseRegeditFile(std::span<const std::byte> bytes,
                                     std::vector<RegeditKey>& keys);
