#include "regedit_file.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>

#include "hash_index.h"
#include "text_conv.h"

namespace {

constexpr std::string_view kVersion5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view kVersion4 = "REGEDIT4";

// UTF-16 text (an even count of bytes, little-endian) as UTF-8.
std::optional<std::string> Utf16ToUtf8(std::span<const std::byte> bytes) {
    if (bytes.size() % 2 != 0) {
        return std::nullopt;
    }
    std::u16string wide(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < wide.size(); ++i) {
        wide[i] = static_cast<char16_t>(std::to_integer<unsigned>(bytes[2 * i]) |
                                        std::to_integer<unsigned>(bytes[2 * i + 1]) << 8);
    }
    if (wide.empty()) {
        return std::string();
    }
    const int count = static_cast<int>(wide.size());
    std::string out(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.data(), count,
                                                                 nullptr, 0, nullptr, nullptr)),
                    '\0');
    // Cannot fail: the output is the size just measured, and UTF-8 takes every code unit.
    (void)WideCharToMultiByte(CP_UTF8, 0, wide.data(), count, out.data(),
                              static_cast<int>(out.size()), nullptr, nullptr);
    return out;
}

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    return s;
}

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// 1 to maxDigits hex digits, nothing else.
std::optional<DWORD> ParseHex(std::string_view s, std::size_t maxDigits) {
    if (s.empty() || s.size() > maxDigits) {
        return std::nullopt;
    }
    DWORD value = 0;
    for (const char c : s) {
        const int digit = HexDigit(c);
        if (digit < 0) {
            return std::nullopt;
        }
        value = value << 4 | static_cast<DWORD>(digit);
    }
    return value;
}

// A quoted string at the start of s, "\\" and "\"" unescaped; s is left after its closing quote.
std::optional<std::string> ParseQuoted(std::string_view& s) {
    if (s.empty() || s.front() != '"') {
        return std::nullopt;
    }
    std::string out;
    for (std::size_t i = 1; i < s.size(); ++i) {
        if (s[i] == '"') {
            s.remove_prefix(i + 1);
            return out;
        }
        // regedit escapes only these two; any other backslash is kept as written.
        if (s[i] == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
            ++i;
        }
        out.push_back(s[i]);
    }
    return std::nullopt;
}

// "01,02,ff" with blanks allowed around the bytes; continued lines are already joined.
std::optional<std::vector<BYTE>> ParseHexList(std::string_view s) {
    std::vector<BYTE> bytes;
    s = TrimLeft(TrimRight(s));
    while (!s.empty()) {
        const std::size_t comma = s.find(',');
        const std::string_view item = TrimLeft(TrimRight(s.substr(0, comma)));
        const auto value = ParseHex(item, 2);
        if (!value) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<BYTE>(*value));
        if (comma == std::string_view::npos) {
            break;
        }
        s.remove_prefix(comma + 1);
        if (TrimLeft(s).empty()) {
            return std::nullopt;  // a trailing comma
        }
    }
    return bytes;
}

std::vector<BYTE> TextData(std::string_view text) {
    std::vector<BYTE> data(text.begin(), text.end());
    data.push_back(0);
    return data;
}

// The data after "=": a string, dword:, hex: or hex(type):. Returns nullopt when malformed.
std::optional<RegeditValue> ParseData(std::string_view s, bool version5) {
    RegeditValue value;
    if (s.starts_with('"')) {
        auto text = ParseQuoted(s);
        if (!text || !TrimLeft(s).empty()) {
            return std::nullopt;
        }
        value.type = REG_SZ;
        value.data = TextData(*text);
        return value;
    }
    if (s.starts_with("dword:")) {
        const auto number = ParseHex(TrimLeft(s.substr(6)), 8);
        if (!number) {
            return std::nullopt;
        }
        value.type = REG_DWORD;
        for (int shift = 0; shift < 32; shift += 8) {
            value.data.push_back(static_cast<BYTE>(*number >> shift));
        }
        return value;
    }
    if (!s.starts_with("hex")) {
        return std::nullopt;
    }
    s.remove_prefix(3);
    value.type = REG_BINARY;
    if (s.starts_with('(')) {
        const std::size_t close = s.find(')');
        const auto type =
            close == std::string_view::npos ? std::nullopt : ParseHex(s.substr(1, close - 1), 8);
        if (!type) {
            return std::nullopt;
        }
        value.type = *type;
        s.remove_prefix(close + 1);
    }
    if (!s.starts_with(':')) {
        return std::nullopt;
    }
    auto bytes = ParseHexList(s.substr(1));
    if (!bytes) {
        return std::nullopt;
    }
    value.data = std::move(*bytes);
    // Version 5 keeps text types as UTF-16; the ANSI entry points hand them out narrow.
    const bool text =
        value.type == REG_SZ || value.type == REG_EXPAND_SZ || value.type == REG_MULTI_SZ;
    if (version5 && text && value.data.size() % 2 == 0) {
        const auto narrow = Utf16ToUtf8(std::as_bytes(std::span(value.data)));
        value.data.assign(narrow->begin(), narrow->end());
    }
    return value;
}

// The file a line at a time, as UTF-8. A UTF-16 line is decoded when it is reached, so that
// the file is never held twice.
class LineReader {
public:
    LineReader(std::span<const std::byte> bytes, bool utf16) : m_rest(bytes), m_utf16(utf16) {}

    bool AtEnd() const { return m_rest.empty(); }

    // The next line without its '\n'; valid until the next call.
    std::string_view Next() {
        if (!m_utf16) {
            const auto* text = reinterpret_cast<const char*>(m_rest.data());
            const auto* end = static_cast<const char*>(std::memchr(text, '\n', m_rest.size()));
            const std::size_t length = end != nullptr ? end - text : m_rest.size();
            m_rest = m_rest.subspan(std::min(length + 1, m_rest.size()));
            return {text, length};
        }
        // Most lines are ASCII, taken a unit a byte; any other is decoded whole.
        m_line.clear();
        bool ascii = true;
        std::size_t i = 0;
        for (; i < m_rest.size(); i += 2) {
            const auto unit = std::to_integer<unsigned>(m_rest[i]) |
                              std::to_integer<unsigned>(m_rest[i + 1]) << 8;
            if (unit == '\n') {
                break;
            }
            ascii = ascii && unit < 0x80;
            m_line.push_back(static_cast<char>(unit));
        }
        if (!ascii) {
            m_line = *Utf16ToUtf8(m_rest.first(i));
        }
        m_rest = m_rest.subspan(std::min(i + 2, m_rest.size()));
        return m_line;
    }

private:
    std::span<const std::byte> m_rest;
    bool m_utf16;  // then m_rest holds an even count of bytes
    std::string m_line;
};

// Keys, values and deleted keys are found through hashes of their names, so that reading
// takes time in proportion to the file. A key's few values are searched in turn; only a key
// with many gets an index. Deleting a key only notes when: a key listed before that deletion
// of itself or of a key above it is dropped at the end. Hot: changes need the registry bench.
class Parser {
public:
    explicit Parser(bool version5) : m_version5(version5) {}

    bool Line(std::string_view line) {
        line = TrimLeft(TrimRight(line));
        if (line.empty() || line.front() == ';') {
            return true;
        }
        if (line.front() == '[') {
            return KeyLine(line);
        }
        if (line.front() == '"' || line.front() == '@') {
            return ValueLine(line);
        }
        return false;
    }

    // The keys that were not deleted, in the order they were first listed after any deletion.
    std::vector<RegeditKey> TakeKeys() {
        std::vector<RegeditKey> keys;
        keys.reserve(m_keys.size());
        for (Listed& listed : m_keys) {
            if (DeletedSince(listed)) {
                continue;
            }
            if (!listed.erased.empty()) {
                auto& values = listed.key.values;
                std::size_t kept = 0;
                for (std::size_t i = 0; i < values.size(); ++i) {
                    if (IsErased(listed, i)) {
                        continue;
                    }
                    if (kept != i) {
                        values[kept] = std::move(values[i]);
                    }
                    ++kept;
                }
                values.resize(kept);
            }
            keys.push_back(std::move(listed.key));
        }
        return keys;
    }

private:
    // An erased value stays in its place until the end, so that the places after it hold.
    struct Listed {
        RegeditKey key;
        std::vector<bool> erased;               // by place; empty while none is
        std::unique_ptr<HashIndex> valueIndex;  // once it has more than kScannedValues
        std::uint64_t since = 0;                // the key line that listed it
    };

    static bool IsErased(const Listed& key, std::size_t place) {
        return place < key.erased.size() && key.erased[place];
    }

    struct Deletion {
        std::string path;
        std::uint64_t at = 0;  // the last key line that deleted it
    };

    static constexpr std::size_t kNone = SIZE_MAX;
    static constexpr std::size_t kScannedValues = 8;

    bool KeyLine(std::string_view line) {
        if (line.size() < 3 || line.back() != ']') {
            return false;
        }
        std::string_view path = line.substr(1, line.size() - 2);
        ++m_keyLines;
        if (path.starts_with('-')) {
            path.remove_prefix(1);
            m_current = kNone;
            m_inDeletedKey = true;
            if (path.empty()) {
                return false;
            }
            Delete(path);
            return true;
        }
        if (path.empty()) {
            return false;
        }
        m_inDeletedKey = false;
        const std::uint64_t hash = RegNameHash(path);
        std::size_t* place = m_keyIndex.Find(
            hash, [&](std::size_t i) { return RegNamesEqual(m_keys[i].key.path, path); });
        if (place != nullptr && !DeletedSince(m_keys[*place])) {
            m_current = *place;
            return true;
        }
        m_current = m_keys.size();
        m_keys.push_back({{std::string(path), {}}, {}, nullptr, m_keyLines});
        if (place != nullptr) {
            *place = m_current;  // the deleted listing stays behind, to be dropped
        } else {
            m_keyIndex.Insert(hash, m_current);
        }
        return true;
    }

    void Delete(std::string_view path) {
        const std::uint64_t hash = RegNameHash(path);
        std::size_t* place = m_deletionIndex.Find(
            hash, [&](std::size_t i) { return RegNamesEqual(m_deletions[i].path, path); });
        if (place != nullptr) {
            m_deletions[*place].at = m_keyLines;
        } else {
            m_deletionIndex.Insert(hash, m_deletions.size());
            m_deletions.push_back({std::string(path), m_keyLines});
        }
    }

    bool DeletedSince(const Listed& key) {
        if (m_deletions.empty()) {
            return false;
        }
        const auto deletes = [&](std::size_t i) {
            return m_deletions[i].at > key.since &&
                   RegPathIsAtOrBelow(key.key.path, m_deletions[i].path);
        };
        for (const std::uint64_t hash : RegPathPrefixHashes(key.key.path)) {
            if (m_deletionIndex.Find(hash, deletes) != nullptr) {
                return true;
            }
        }
        return false;
    }

    bool ValueLine(std::string_view line) {
        std::string name;
        if (line.front() == '@') {
            line.remove_prefix(1);
        } else {
            auto quoted = ParseQuoted(line);
            if (!quoted) {
                return false;
            }
            name = std::move(*quoted);
        }
        line = TrimLeft(line);
        if (!line.starts_with('=')) {
            return false;
        }
        line = TrimLeft(line.substr(1));
        if (line == "-") {
            if (m_current != kNone) {
                Erase(m_keys[m_current], name);
            }
            return m_current != kNone || m_inDeletedKey;
        }
        auto value = ParseData(line, m_version5);
        if (!value) {
            return false;
        }
        value->name = std::move(name);
        if (m_current == kNone) {
            return m_inDeletedKey;  // regedit skips the values of a deleted key
        }
        Set(m_keys[m_current], std::move(*value));
        return true;
    }

    // Where the value named name is in key: its place, kNone when it has none; and, once the
    // key has an index, the name's slot there, which may lead to an erased value.
    struct Found {
        std::size_t place = kNone;
        std::size_t* slot = nullptr;
    };

    Found FindValue(Listed& key, std::string_view name) {
        const auto& values = key.key.values;
        if (key.valueIndex == nullptr) {
            for (std::size_t i = 0; i < values.size(); ++i) {
                if (!IsErased(key, i) && RegNamesEqual(values[i].name, name)) {
                    return {i};
                }
            }
            return {};
        }
        std::size_t* slot = key.valueIndex->Find(
            RegNameHash(name), [&](std::size_t i) { return RegNamesEqual(values[i].name, name); });
        return {slot != nullptr ? *slot : kNone, slot};
    }

    void Erase(Listed& key, std::string_view name) {
        if (const Found found = FindValue(key, name); found.place != kNone) {
            key.erased.resize(std::max(key.erased.size(), found.place + 1));
            key.erased[found.place] = true;
        }
    }

    // A value set again keeps its place; one set after it was erased goes to the end.
    void Set(Listed& key, RegeditValue value) {
        auto& values = key.key.values;
        const Found found = FindValue(key, value.name);
        if (found.place != kNone && !IsErased(key, found.place)) {
            values[found.place] = std::move(value);
            return;
        }
        values.push_back(std::move(value));
        const std::size_t added = values.size() - 1;
        if (found.slot != nullptr) {
            *found.slot = added;
        } else if (key.valueIndex != nullptr) {
            key.valueIndex->Insert(RegNameHash(values[added].name), added);
        } else if (values.size() > kScannedValues) {
            key.valueIndex = std::make_unique<HashIndex>();
            for (std::size_t i = 0; i < values.size(); ++i) {
                if (!IsErased(key, i)) {
                    key.valueIndex->Insert(RegNameHash(values[i].name), i);
                }
            }
        }
    }

    bool m_version5;
    std::vector<Listed> m_keys;
    HashIndex m_keyIndex;  // places in m_keys
    std::vector<Deletion> m_deletions;
    HashIndex m_deletionIndex;  // places in m_deletions
    std::uint64_t m_keyLines = 0;
    std::size_t m_current = kNone;
    bool m_inDeletedKey = false;
};

}  // namespace

DWORD ParseRegeditFile(std::span<const std::byte> bytes, std::vector<RegeditKey>& keys) {
    keys.clear();
    const auto starts = [&](std::initializer_list<unsigned> bom) {
        return bytes.size() >= bom.size() &&
               std::equal(bom.begin(), bom.end(), bytes.begin(), [](unsigned b, std::byte c) {
                   return std::to_integer<unsigned>(c) == b;
               });
    };
    const bool utf16 = starts({0xFF, 0xFE});
    const std::span<const std::byte> body = bytes.subspan(utf16                        ? 2
                                                          : starts({0xEF, 0xBB, 0xBF}) ? 3
                                                                                       : 0);
    if (utf16 && body.size() % 2 != 0) {
        return ERROR_BADDB;
    }
    LineReader lines(body, utf16);
    const std::string_view header = TrimRight(lines.Next());
    if (header != kVersion5 && header != kVersion4) {
        return ERROR_BADDB;
    }
    Parser parser(header == kVersion5);
    std::string line;
    while (!lines.AtEnd()) {
        line = TrimLeft(TrimRight(lines.Next()));
        // A value's hex list goes on over lines that end in a backslash.
        const bool value = line.starts_with('"') || line.starts_with('@');
        while (value && line.ends_with('\\') && !lines.AtEnd()) {
            line.pop_back();
            line += TrimLeft(TrimRight(lines.Next()));
        }
        if (!parser.Line(line)) {
            return ERROR_BADDB;
        }
    }
    keys = parser.TakeKeys();
    return ERROR_SUCCESS;
}
