#include "registry_names.h"

#include <locale.h>
#include <wctype.h>

namespace {

// The next code point of s from i, or an invalid byte as itself above the Unicode range.
char32_t NextCodePoint(std::string_view s, std::size_t& i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    const std::size_t length = lead < 0x80           ? 1
                               : (lead >> 5) == 0x6  ? 2
                               : (lead >> 4) == 0xE  ? 3
                               : (lead >> 3) == 0x1E ? 4
                                                     : 0;
    if (length == 0 || i + length > s.size()) {
        ++i;
        return 0x110000 + lead;
    }
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            ++i;
            return 0x110000 + lead;
        }
        c = c << 6 | (byte(i + k) & 0x3F);
    }
    i += length;
    return c;
}

char32_t UpperCase(char32_t c) {
    if (c < 0x80) {
        return c >= 'a' && c <= 'z' ? c - 0x20 : c;
    }
    // C.UTF-8 carries the Unicode case table whatever the user's locale is.
    static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    if (utf8 == static_cast<locale_t>(0) || c >= 0x110000) {
        return c;
    }
    return static_cast<char32_t>(towupper_l(static_cast<wint_t>(c), utf8));
}

char32_t NextUpperCase(std::string_view s, std::size_t& i) {
    return UpperCase(NextCodePoint(s, i));
}

// FNV-1a, a code point a step.
constexpr std::uint64_t kHashStart = 0xcbf29ce484222325;

std::uint64_t HashStep(std::uint64_t hash, char32_t c) {
    return (hash ^ c) * 0x100000001b3;
}

}  // namespace

bool RegNamesEqual(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (NextUpperCase(a, i) != NextUpperCase(b, j)) {
            return false;
        }
    }
    return i == a.size() && j == b.size();
}

// A backslash is never part of a longer sequence, so comparing the whole of root code point
// by code point compares its components.
bool RegPathIsAtOrBelow(std::string_view path, std::string_view root) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (j < root.size()) {
        if (i == path.size() || NextUpperCase(path, i) != NextUpperCase(root, j)) {
            return false;
        }
    }
    return i == path.size() || path[i] == '\\';
}

std::uint64_t RegNameHash(std::string_view name) {
    std::uint64_t hash = kHashStart;
    for (std::size_t i = 0; i < name.size();) {
        hash = HashStep(hash, NextUpperCase(name, i));
    }
    return hash;
}

std::vector<std::uint64_t> RegPathPrefixHashes(std::string_view path) {
    std::vector<std::uint64_t> hashes;
    std::uint64_t hash = kHashStart;
    for (std::size_t i = 0; i < path.size();) {
        if (path[i] == '\\') {
            hashes.push_back(hash);
        }
        hash = HashStep(hash, NextUpperCase(path, i));
    }
    hashes.push_back(hash);
    return hashes;
}
