#include <gtest/gtest.h>

#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>

#include "action_cmd_ui.h"
#include "recent_file_list.h"
#include "standard_ids.h"

namespace {

// The list as its menu shows it, in place of its placeholder and before "Exit"; each time it
// shows, the placeholder is enabled only if the list has an entry.
QStringList Shown(CRecentFileList& list) {
    QMenu menu;
    QAction* placeholder = menu.addAction("Recent files");
    placeholder->setData(ID_FILE_MRU_FILE1);
    menu.addAction("Exit");
    glue::ActionCmdUI item(&menu, placeholder);
    list.UpdateMenu(&item);
    QStringList shown;
    for (QAction* action : menu.actions()) {
        shown << action->text() + (action->isEnabled() ? "" : " (greyed)");
    }
    return shown;
}

class RecentFileListTest : public ::testing::Test {
protected:
    // Adds "/c", "/a&b.txt" and "/b.txt", in that order from the newest, among duplicates and
    // empty names.
    void Fill() {
        for (const char* path :
             {"/a&b.txt", "", static_cast<const char*>(nullptr), "/b.txt", "/a&b.txt", "/c"}) {
            m_list.Add(path);
        }
    }

    QTemporaryDir m_dir;
    QSettings m_profile{m_dir.filePath("profile.ini"), QSettings::IniFormat};
    CRecentFileList m_list{ID_FILE_MRU_FILE1, "Recent File List", "File%d", 4};
};

TEST_F(RecentFileListTest, EntriesShowNewestFirstOnceEachWithoutEmptyNames) {
    Fill();
    EXPECT_EQ(Shown(m_list), QStringList({"&1 /c", "&2 /a&&b.txt", "&3 /b.txt", "Exit"}));
}

TEST_F(RecentFileListTest, TheProfileKeepsTheEntriesDropsStaleOnesAndAShorterListReadsTheNewest) {
    m_profile.setValue("Recent File List/File4", "/stale");
    Fill();
    m_list.WriteList(m_profile);
    EXPECT_FALSE(m_profile.contains("Recent File List/File4"));
    CRecentFileList read(ID_FILE_MRU_FILE1, "Recent File List", "File%d", 2);
    read.ReadList(m_profile);
    EXPECT_EQ(Shown(read), QStringList({"&1 /c", "&2 /a&&b.txt", "Exit"}));
}

}  // namespace
