#include "string_list.h"

#include <cassert>

POSITION CStringList::AddTail(const char* text) {
    m_entries.emplace_back(text);
    return reinterpret_cast<POSITION>(&m_entries.back());
}

POSITION CStringList::FindIndex(int nIndex) const {
    if (nIndex < 0 || nIndex >= GetCount()) {
        return nullptr;
    }
    return reinterpret_cast<POSITION>(const_cast<CString*>(&m_entries[nIndex]));
}

CString& CStringList::GetAt(POSITION position) {
    assert(position != nullptr);
    return *reinterpret_cast<CString*>(position);
}

const CString& CStringList::GetAt(POSITION position) const {
    assert(position != nullptr);
    return *reinterpret_cast<const CString*>(position);
}
