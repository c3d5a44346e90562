#include "recent_file_list.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <algorithm>

#include "action_cmd_ui.h"

namespace {

// Long paths keep their head and their file name, as the menu has little room.
QString MenuLabel(int nIndex, const QString& path) {
    constexpr int kMaxShown = 40;
    QString shown = QDir::toNativeSeparators(path);
    if (shown.size() > kMaxShown) {
        const QString name = QFileInfo(path).fileName();
        const int headLength = std::max(0, kMaxShown - static_cast<int>(name.size()) - 4);
        shown = headLength > 0
                    ? shown.left(headLength) + QStringLiteral("...") + QDir::separator() + name
                    : name;
    }
    shown.replace('&', QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(nIndex + 1).arg(shown);
}

}  // namespace

CRecentFileList::CRecentFileList(UINT nStart, LPCSTR lpszSection, LPCSTR lpszEntryFormat, int nSize)
    : m_nStart(nStart),
      m_strSection(lpszSection),
      m_strEntryFormat(lpszEntryFormat),
      m_nSize(std::max(0, nSize)) {}

void CRecentFileList::Add(LPCSTR lpszPathName) {
    if (lpszPathName == nullptr || *lpszPathName == '\0' || m_nSize == 0) {
        return;
    }
    const CString path(lpszPathName);
    std::erase(m_arrNames, path);
    m_arrNames.insert(m_arrNames.begin(), path);
    if (GetCount() > m_nSize) {
        m_arrNames.resize(m_nSize);
    }
}

void CRecentFileList::Remove(int nIndex) {
    if (nIndex >= 0 && nIndex < GetCount()) {
        m_arrNames.erase(m_arrNames.begin() + nIndex);
    }
}

void CRecentFileList::ReadList(QSettings& settings) {
    m_arrNames.clear();
    settings.beginGroup(QString::fromUtf8(m_strSection.str()));
    for (int i = 0; i < m_nSize; ++i) {
        const QString key = QString::asprintf(m_strEntryFormat, i + 1);
        const QString path = settings.value(key).toString();
        if (!path.isEmpty()) {
            m_arrNames.emplace_back(path.toStdString());
        }
    }
    settings.endGroup();
}

void CRecentFileList::WriteList(QSettings& settings) const {
    settings.beginGroup(QString::fromUtf8(m_strSection.str()));
    for (int i = 0; i < m_nSize; ++i) {
        const QString key = QString::asprintf(m_strEntryFormat, i + 1);
        if (i < GetCount()) {
            settings.setValue(key, QString::fromUtf8(m_arrNames[i].str()));
        } else {
            settings.remove(key);
        }
    }
    settings.endGroup();
    settings.sync();
}

void CRecentFileList::UpdateMenu(CCmdUI* pCmdUI) {
    auto* item = dynamic_cast<glue::ActionCmdUI*>(pCmdUI);
    if (item == nullptr) {
        return;
    }
    QAction* first = item->m_pAction;
    if (m_strOriginal.IsEmpty()) {
        m_strOriginal = first->text().toStdString();
    }
    for (QAction* action : item->m_pMenu->actions()) {
        const UINT nID = action->data().toUInt();
        if (action != first && nID > m_nStart && nID < m_nStart + static_cast<UINT>(m_nSize)) {
            item->m_pMenu->removeAction(action);
            delete action;
        }
    }
    if (m_arrNames.empty()) {
        first->setText(QString::fromUtf8(m_strOriginal.str()));
        first->setEnabled(false);
        return;
    }
    first->setText(MenuLabel(0, QString::fromUtf8(m_arrNames[0].str())));
    first->setEnabled(true);
    const QList<QAction*> actions = item->m_pMenu->actions();
    QAction* before = actions.value(actions.indexOf(first) + 1);
    for (int i = 1; i < GetCount(); ++i) {
        auto* action =
            new QAction(MenuLabel(i, QString::fromUtf8(m_arrNames[i].str())), item->m_pMenu);
        action->setData(m_nStart + i);
        item->m_pMenu->insertAction(before, action);
    }
}
