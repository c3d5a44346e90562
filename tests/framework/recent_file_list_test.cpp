#include <gtest/gtest.h>

#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>

#include "action_cmd_ui.h"
#include "recent_file_list.h"
#include "standard_ids.h"

namespace {

QStringList Names(const CRecentFileList& list) {
    QStringList names;
    for (int i = 0; i < list.GetCount(); ++i) {
        names << QString::fromUtf8(list[i].str());
    }
    return names;
}

TEST(RecentFileList, NewestFirstWithoutDuplicatesUpToItsSize) {
    const struct {
        std::vector<const char*> added;
        QStringList expected;
    } cases[] = {
        {{}, {}},
        {{"/a"}, {"/a"}},
        {{"/a", "/b", "/a"}, {"/a", "/b"}},
        {{"/a", "/b", "/c", "/d", "/e"}, {"/e", "/d", "/c", "/b"}},
        {{"/a", "", nullptr}, {"/a"}},
    };
    for (const auto& c : cases) {
        CRecentFileList list(ID_FILE_MRU_FILE1, "Recent File List", "File%d", 4);
        for (const char* path : c.added) {
            list.Add(path);
        }
        EXPECT_EQ(Names(list), c.expected);
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
    EXPECT_EQ(Names(read), QStringList({"/three", "/two"}));
}

TEST(RecentFileList, MenuShowsOneNumberedItemPerEntryInPlaceOfThePlaceholder) {
    QMenu menu;
    QAction* placeholder = menu.addAction("Recent files");
    placeholder->setData(ID_FILE_MRU_FILE1);
    placeholder->setEnabled(false);
    QAction* exit = menu.addAction("Exit");
    CRecentFileList list(ID_FILE_MRU_FILE1, "Recent File List", "File%d", 4);
    const QString longName = "/very/long/folder/names/that/go/on/and/on/for/ever/report.txt";
    const struct {
        std::vector<std::string> added;
        QStringList shown;
    } cases[] = {
        {{}, {"Recent files", "Exit"}},
        {{"/a&b.txt", "/b.txt"}, {"&1 /b.txt", "&2 /a&&b.txt", "Exit"}},
        {{longName.toStdString()},
         {"&1 /very/long/folder/names/th.../report.txt", "&2 /b.txt", "&3 /a&&b.txt", "Exit"}},
    };
    for (const auto& c : cases) {
        for (const std::string& path : c.added) {
            list.Add(path.c_str());
        }
        glue::ActionCmdUI item(&menu, placeholder);
        list.UpdateMenu(&item);
        QStringList shown;
        for (QAction* action : menu.actions()) {
            shown << action->text();
        }
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(placeholder->isEnabled(), list.GetCount() > 0);
        EXPECT_EQ(menu.actions().constLast(), exit);
    }
}

}  // namespace
