#include "cmd_target.h"

#include "cmd_ui.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP* pMap, UINT nMessage, UINT nCode,
                                            UINT nID) {
    for (; pMap != nullptr;
         pMap = pMap->pfnGetBaseMap != nullptr ? pMap->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* entry = pMap->lpEntries; entry->nSig != AfxSig_end; ++entry) {
            const bool inRange = entry->nLastID == 0 ? entry->nID == nID
                                                     : entry->nID <= nID && nID <= entry->nLastID;
            if (entry->nMessage == nMessage && entry->nCode == nCode && inRange) {
                return entry;
            }
        }
    }
    return nullptr;
}

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, AfxSig_end, nullptr}};
    static const AFX_MSGMAP messageMap = {nullptr, entries};
    return &messageMap;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const {
    return GetThisMessageMap();
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, UINT nCode, void* pExtra) {
    const AFX_MSGMAP* map = GetMessageMap();
    if (nCode == CN_UPDATE_COMMAND_UI) {
        auto* pCmdUI = static_cast<CCmdUI*>(pExtra);
        if (const auto* entry = AfxFindMessageEntry(map, WM_COMMAND, CN_UPDATE_COMMAND_UI, nID)) {
            (this->*glue::HandlerAs<void (CCmdTarget::*)(CCmdUI*)>(entry->pfn))(pCmdUI);
            return TRUE;
        }
        if (AfxFindMessageEntry(map, WM_COMMAND, CN_COMMAND, nID) != nullptr) {
            pCmdUI->Enable(TRUE);
            return TRUE;
        }
        return FALSE;
    }
    const auto* entry = AfxFindMessageEntry(map, WM_COMMAND, nCode, nID);
    if (entry == nullptr) {
        return FALSE;
    }
    if (entry->nSig == AfxSig_bw) {
        return (this->*glue::HandlerAs<BOOL (CCmdTarget::*)(UINT)>(entry->pfn))(nID);
    }
    (this->*entry->pfn)();
    return TRUE;
}
