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

// Newest first, without duplicates, up to its size; written out and read back, stale entries
// beyond it are dropped.
TEST(RecentFileList, NewestFirstWithoutDuplicatesUpToItsSizeAndKeptInTheProfile) {
    QTemporaryDir dir;
    QSettings profile(dir.filePath("profile.ini"), QSettings::IniFormat);
    profile.setValue("Recent File List/File4", "/stale");
    CRecentFileList list(ID_FILE_MRU_FILE1, "Recent File List", "File%d", 4);
    EXPECT_EQ(Shown(list), QStringList({"Recent files (greyed)", "Exit"}));
    for (const char* path :
         {"/a&b.txt", "", static_cast<const char*>(nullptr), "/b.txt", "/a&b.txt", "/c"}) {
        list.Add(path);
    }
    EXPECT_EQ(Shown(list), QStringList({"&1 /c", "&2 /a&&b.txt", "&3 /b.txt", "Exit"}));
    list.WriteList(profile);
    EXPECT_FALSE(profile.contains("Recent File List/File4"));
    CRecentFileList read(ID_FILE_MRU_FILE1, "Recent File List", "File%d", 2);
    read.ReadList(profile);
    read.Add("/very/long/folder/names/that/go/on/and/on/for/ever/report.txt");
    EXPECT_EQ(Shown(read),
              QStringList({"&1 /very/long/folder/names/th.../report.txt", "&2 /c", "Exit"}));
}

}  // namespace
