#include "resources.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

const glue::ResourceTables* g_pResources = nullptr;

const glue::ResourceTables& Resources() {
    if (g_pResources == nullptr) {
        std::fputs("a resource was asked for before glue::SetResources registered any tables\n",
                   stderr);
        std::abort();
    }
    return *g_pResources;
}

template <typename T>
const T* FindById(std::span<const T> table, UINT nID) {
    for (const T& entry : table) {
        if (entry.nID == nID) {
            return &entry;
        }
    }
    return nullptr;
}

}  // namespace

void glue::SetResources(const ResourceTables& tables) {
    g_pResources = &tables;
}

bool AfxLoadString(UINT nID, CString& out) {
    const glue::StringResource* entry = FindById(Resources().strings, nID);
    if (entry == nullptr) {
        return false;
    }
    out = entry->lpszText;
    return true;
}

const glue::DialogTemplate* glue::FindDialogTemplate(UINT nID) {
    return FindById(Resources().dialogs, nID);
}

QIcon glue::LoadIcon(UINT nID) {
    const glue::ImageResource* icon = FindById(Resources().icons, nID);
    return icon != nullptr ? QIcon(QString::fromUtf8(icon->lpszPath)) : QIcon();
}

QPixmap glue::LoadBitmap(UINT nID) {
    const glue::ImageResource* bitmap = FindById(Resources().bitmaps, nID);
    return bitmap != nullptr ? QPixmap(QString::fromUtf8(bitmap->lpszPath)) : QPixmap();
}

const glue::Menu* glue::FindMenu(UINT nID) {
    return FindById(Resources().menus, nID);
}

const glue::AccelTable* glue::FindAccelerators(UINT nID) {
    return FindById(Resources().accelerators, nID);
}

const glue::ToolBarLayout* glue::FindToolBar(UINT nID) {
    return FindById(Resources().toolbars, nID);
}

const glue::VersionInfo* glue::FindVersionInfo(UINT nID) {
    return FindById(Resources().versions, nID);
}

CString glue::LoadStringField(UINT nID, int nField) {
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
