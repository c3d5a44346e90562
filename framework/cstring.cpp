#include "cstring.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

// "%I64d" is "%lld" here: long long is 64 bits on every Linux target.
std::string TranslateFormat(const char* format) {
    std::string out;
    for (const char* p = format; *p != '\0'; ++p) {
        out.push_back(*p);
        if (*p != '%') {
            continue;
        }
        if (p[1] == '%') {
            out.push_back(*++p);
            continue;
        }
        while (p[1] != '\0' && std::strchr("-+ #0123456789.*", p[1]) != nullptr) {
            out.push_back(*++p);
        }
        if (std::strncmp(p + 1, "I64", 3) == 0) {
            out += "ll";
            p += 3;
        }
    }
    return out;
}

}  // namespace

void CString::Format(const char* format, ...) {
    const std::string translated =
        std::strstr(format, "I64") != nullptr ? TranslateFormat(format) : std::string(format);
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    char small[256];
    const int needed = std::vsnprintf(small, sizeof small, translated.c_str(), args);
    va_end(args);
    if (needed < 0) {
        m_text.clear();
    } else if (static_cast<std::size_t>(needed) < sizeof small) {
        m_text.assign(small, static_cast<std::size_t>(needed));
    } else {
        m_text.resize(static_cast<std::size_t>(needed) + 1);
        std::vsnprintf(m_text.data(), m_text.size(), translated.c_str(), copy);
        m_text.resize(static_cast<std::size_t>(needed));
    }
    va_end(copy);
}

int CString::Compare(const char* other) const {
    return std::strcmp(m_text.c_str(), other);
}
