#include "regedit_file.h"

#include <locale.h>
#include <wctype.h>

#include <algorithm>
#include <cstring>
#include <optional>

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
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), count, out.data(), static_cast<int>(out.size()),
                        nullptr, nullptr);
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

std::vector<std::string_view> Components(std::string_view path) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t end = path.find('\\', start);
        parts.push_back(path.substr(start, end - start));
        if (end == std::string_view::npos) {
            return parts;
        }
        start = end + 1;
    }
}

class Parser {
public:
    Parser(std::vector<RegeditKey>& keys, bool version5) : m_keys(keys), m_version5(version5) {}

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

private:
    bool KeyLine(std::string_view line) {
        if (line.size() < 3 || line.back() != ']') {
            return false;
        }
        std::string_view path = line.substr(1, line.size() - 2);
        if (path.starts_with('-')) {
            path.remove_prefix(1);
            std::erase_if(
                m_keys, [&](const RegeditKey& key) { return RegPathIsAtOrBelow(key.path, path); });
            m_current = kNone;
            m_inDeletedKey = true;
            return !path.empty();
        }
        if (path.empty()) {
            return false;
        }
        m_inDeletedKey = false;
        const auto it = std::find_if(m_keys.begin(), m_keys.end(), [&](const RegeditKey& key) {
            return RegNamesEqual(key.path, path);
        });
        m_current = static_cast<std::size_t>(it - m_keys.begin());
        if (it == m_keys.end()) {
            m_keys.push_back({std::string(path), {}});
        }
        return true;
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
        const bool erase = line == "-";
        std::optional<RegeditValue> value;
        if (!erase) {
            value = ParseData(line, m_version5);
            if (!value) {
                return false;
            }
            value->name = std::move(name);
        }
        if (m_current == kNone) {
            return m_inDeletedKey;  // regedit skips the values of a deleted key
        }
        auto& values = m_keys[m_current].values;
        const std::string_view wanted = erase ? std::string_view(name) : value->name;
        const auto it = std::find_if(values.begin(), values.end(), [&](const RegeditValue& v) {
            return RegNamesEqual(v.name, wanted);
        });
        if (erase) {
            if (it != values.end()) {
                values.erase(it);
            }
        } else if (it != values.end()) {
            *it = std::move(*value);
        } else {
            values.push_back(std::move(*value));
        }
        return true;
    }

    std::vector<RegeditKey>& m_keys;
    bool m_version5;
    static constexpr std::size_t kNone = SIZE_MAX;
    std::size_t m_current = kNone;  // an index, since m_keys may grow
    bool m_inDeletedKey = false;
};

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

}  // namespace

bool RegNamesEqual(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (UpperCase(NextCodePoint(a, i)) != UpperCase(NextCodePoint(b, j))) {
            return false;
        }
    }
    return i == a.size() && j == b.size();
}

bool RegPathIsAtOrBelow(std::string_view path, std::string_view root) {
    const auto pathParts = Components(path);
    const auto rootParts = Components(root);
    return pathParts.size() >= rootParts.size() &&
           std::equal(rootParts.begin(), rootParts.end(), pathParts.begin(), RegNamesEqual);
}

DWORD ParseRegeditFile(std::span<const std::byte> bytes, std::vector<RegeditKey>& keys) {
    keys.clear();
    std::string text;
    const auto starts = [&](std::initializer_list<unsigned> bom) {
        return bytes.size() >= bom.size() &&
               std::equal(bom.begin(), bom.end(), bytes.begin(), [](unsigned b, std::byte c) {
                   return std::to_integer<unsigned>(c) == b;
               });
    };
    if (starts({0xFF, 0xFE})) {
        auto decoded = Utf16ToUtf8(bytes.subspan(2));
        if (!decoded) {
            return ERROR_BADDB;
        }
        text = std::move(*decoded);
    } else {
        const std::size_t skip = starts({0xEF, 0xBB, 0xBF}) ? 3 : 0;
        text.assign(reinterpret_cast<const char*>(bytes.data()) + skip, bytes.size() - skip);
    }

    std::string_view rest = text;
    const auto nextLine = [&rest]() {
        const std::size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        return line;
    };
    const std::string_view header = TrimRight(nextLine());
    if (header != kVersion5 && header != kVersion4) {
        return ERROR_BADDB;
    }
    Parser parser(keys, header == kVersion5);
    while (!rest.empty()) {
        std::string line(TrimLeft(TrimRight(nextLine())));
        // A value's hex list goes on over lines that end in a backslash.
        const bool value = line.starts_with('"') || line.starts_with('@');
        while (value && line.ends_with('\\') && !rest.empty()) {
            line.pop_back();
            line += TrimLeft(TrimRight(nextLine()));
        }
        if (!parser.Line(line)) {
            keys.clear();
            return ERROR_BADDB;
        }
    }
    return ERROR_SUCCESS;
}
