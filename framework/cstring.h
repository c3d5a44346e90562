// The framework's text string: narrow (UTF-8) text with printf-style formatting.
// Used everywhere the program keeps or formats text; a value type.
#pragma once

#include <string>

#include "win_types.h"

class CString {
public:
    CString() = default;
    CString(const char* text) : m_text(text != nullptr ? text : "") {}  // NOLINT: implicit as MFC
    CString(std::string text) : m_text(std::move(text)) {}              // NOLINT

    // printf placeholders, plus Windows' %I64d, %I64u and %I64x for 64-bit values.
    // A format that cannot be applied leaves the string empty.
    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));

    int Compare(const char* other) const;  // exact and case-sensitive, as strcmp
    void Empty() { m_text.clear(); }
    bool IsEmpty() const { return m_text.empty(); }
    int GetLength() const { return static_cast<int>(m_text.size()); }

    operator const char*() const { return m_text.c_str(); }  // NOLINT: implicit as MFC
    const std::string& str() const { return m_text; }

    CString& operator=(const char* text) {
        m_text = text != nullptr ? text : "";
        return *this;
    }
    CString& operator+=(const char* text) {
        m_text += text;
        return *this;
    }
    friend bool operator==(const CString& a, const CString& b) { return a.m_text == b.m_text; }

private:
    std::string m_text;
};
