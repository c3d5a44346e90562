// A list of CString with positions, as the framework's CStringList.
// Used by the traffic counter for its interface names; not thread-safe.
#pragma once

#include <deque>

#include "cstring.h"

using POSITION = struct __POSITION*;

class CStringList {
public:
    explicit CStringList(int nBlockSize = 10) : m_nBlockSize(nBlockSize) {}
    CStringList(const CStringList&) = delete;
    CStringList& operator=(const CStringList&) = delete;

    POSITION AddTail(const char* text);
    // The position of the zero-based nIndex'th entry, or null outside the list.
    POSITION FindIndex(int nIndex) const;
    CString& GetAt(POSITION position);
    const CString& GetAt(POSITION position) const;
    void RemoveAll() { m_entries.clear(); }
    int GetCount() const { return static_cast<int>(m_entries.size()); }
    int GetBlockSize() const { return m_nBlockSize; }

private:
    int m_nBlockSize;  // nodes per allocation in the original; kept for its callers' sake
    // A deque: entries keep their place as the list grows, and FindIndex takes constant time
    // (the traffic view asks for every position once a second).
    std::deque<CString> m_entries;
};
