#include "dc.h"

int CDC::SetBkMode(int nBkMode) {
    const int previous = m_nBkMode;
    m_nBkMode = nBkMode;
    return previous;
}

BOOL CDC::TextOut(int x, int y, const CString& str) {
    m_surface->push_back({x, y, str, m_nBkMode == OPAQUE});
    return TRUE;
}
