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

TEST(RecentFileList, NewestFirstWithoutDuplicatesUpToItsSizeOneNumberedItemEach) {
    const std::vector<std::pair<std::vector<const char*>, QStringList>> steps = {
        {{}, {"Recent files (greyed)", "Exit"}},
        {{"", nullptr}, {"Recent files (greyed)", "Exit"}},
        {{"/a&b.txt", "/b.txt", "/a&b.txt"}, {"&1 /a&&b.txt", "&2 /b.txt", "Exit"}},
        {{"/very/long/folder/names/that/go/on/and/on/for/ever/report.txt", "/c", "/d"},
         {"&1 /d", "&2 /c", "&3 /very/long/folder/names/th.../report.txt", "&4 /a&&b.txt", "Exit"}},
    };
    CRecentFileList list(ID_FILE_MRU_FILE1, "Recent File List", "File%d", 4);
    for (const auto& [added, shown] : steps) {
        for (const char* path : added) {
            list.Add(path);
        }
        EXPECT_EQ(Shown(list), shown);
    }
}

TEST(RecentFileList, WrittenListReadsBackAndDropsStaleEntries) {
    QTemporaryDir dir;
    QSettings profile(dir.filePath("profile.ini"), QSettings::IniFormat);
    profile.setValue("Recent File List/File4", "/stale");
    CRecentFileList written(ID_FILE_MRU_FILE1, "Recent File List", "File%d", 4);
    for (const char* path : {"/one", "/two", "/three"}) {
        written.Add(path);
    }
    written.WriteList(profile);
    EXPECT_EQ(profile.value("Recent File List/File1").toString(), "/three");
    EXPECT_FALSE(profile.contains("Recent File List/File4"));
    CRecentFileList read(ID_FILE_MRU_FILE1, "Recent File List", "File%d", 2);
    read.ReadList(profile);
    EXPECT_EQ(Shown(read), QStringList({"&1 /three", "&2 /two", "Exit"}));
}

}  // namespace
