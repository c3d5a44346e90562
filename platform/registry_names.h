// Registry key and value names as Windows matches them: without regard to case.
// Used by the regedit parser and the machine registry. Names are UTF-8; a byte that is not
// part of a valid sequence is compared as itself.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// Whether two UTF-8 names are one name to Windows: equal once letters are upper-cased.
bool RegNamesEqual(std::string_view a, std::string_view b);

// Whether path names root itself or a key below it, component by component.
bool RegPathIsAtOrBelow(std::string_view path, std::string_view root);

// A hash that names RegNamesEqual calls equal share.
std::uint64_t RegNameHash(std::string_view name);

// RegNameHash of each leading part of path that ends before a backslash, and of path itself
// last: the keys that path is at or below, hashed.
std::vector<std::uint64_t> RegPathPrefixHashes(std::string_view path);
