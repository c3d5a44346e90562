#include "resources.h"

#include <string_view>

namespace {

// The framework's own texts, in the resources' language (Chinese, PRC).
constexpr AFX_STRING_RESOURCE kFrameworkStrings[] = {
    {AFX_IDS_UNTITLED, "无标题"},
};

const char* Find(std::span<const AFX_STRING_RESOURCE> table, UINT nID) {
    for (const auto& entry : table) {
        if (entry.nID == nID) {
            return entry.lpszText;
        }
    }
    return nullptr;
}

}  // namespace

bool AfxLoadString(UINT nID, CString& out) {
    const char* text = Find(AfxGetResources().strings, nID);
    if (text == nullptr) {
        text = Find(kFrameworkStrings, nID);
    }
    if (text == nullptr) {
        return false;
    }
    out = text;
    return true;
}

const AFX_DLGTEMPLATE* AfxFindDialogTemplate(UINT nID) {
    for (const auto& dialog : AfxGetResources().dialogs) {
        if (dialog.nID == nID) {
            return &dialog;
        }
    }
    return nullptr;
}

QIcon AfxLoadIcon(UINT nID) {
    for (const auto& icon : AfxGetResources().icons) {
        if (icon.nID == nID) {
            return QIcon(QString::fromUtf8(icon.lpszPath));
        }
    }
    return {};
}

CString AfxLoadStringField(UINT nID, int nField) {
    CString text;
    if (!AfxLoadString(nID, text)) {
        return {};
    }
    std::string_view rest(text.str());
    for (int i = 0; i < nField; ++i) {
        const auto newline = rest.find('\n');
        if (newline == std::string_view::npos) {
            return {};
        }
        rest.remove_prefix(newline + 1);
    }
    return CString(std::string(rest.substr(0, rest.find('\n'))));
}
