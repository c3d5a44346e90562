// "Local netConfig" through the real menu and toolbar: each command ends in one message box.
#include <QMessageBox>
#include <regex>

#include "resource.h"
#include "shell_test.h"

namespace {

TEST_F(ShellTest, HostInfoCommandsShowOneBoxEachFromMenuAndToolbar) {
    ASSERT_TRUE(Start());
    LetIdleRun();
    const std::tuple<UINT, const char*, std::regex> commands[] = {
        {ID_GET_ALL_IP, "ghjgfhjgfhj", std::regex("([0-9]{1,3}\\.){3}[0-9]{1,3}\n(.|\n)*")},
        // Nothing when the machine has no adapter.
        {ID_GET_NETINFO, "", std::regex("(The Ethernet Number is: [0-9a-f]{12}\n)?")},
    };
    QMenu* popup = Popup("Local netConfig");
    for (const auto& [nID, prompt, box] : commands) {
        OpenPopup(popup);
        QTest::mouseMove(popup, popup->actionGeometry(Item(popup, nID)).center());
        EXPECT_EQ(Pane(0)->text(), prompt);
        for (const bool fromToolbar : {false, true}) {
            std::string text = "<no box>";
            m_modal.When<QMessageBox>([&text](QMessageBox* shown) {
                text = shown->text().toStdString();
                shown->accept();
            });
            fromToolbar ? Button(nID)->click() : ClickItem(popup, nID);
            EXPECT_TRUE(std::regex_match(text, box)) << nID << ": " << text;
        }
    }
}

}  // namespace
