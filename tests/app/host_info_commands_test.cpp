// "Local netConfig" through the real menu and toolbar: each command ends in one message box.
#include <QMessageBox>
#include <QTest>
#include <regex>

#include "resource.h"
#include "shell_test.h"

namespace {

TEST_F(ShellTest, HostInfoCommandsShowOneBoxEachFromMenuAndToolbar) {
    ASSERT_TRUE(Start());
    LetIdleRun();
    const struct {
        UINT nID;
        const char* prompt;
        std::regex box;
    } commands[] = {
        {ID_GET_ALL_IP, "ghjgfhjgfhj", std::regex("([0-9]{1,3}\\.){3}[0-9]{1,3}\n(.|\n)*")},
        // Nothing when the machine has no adapter.
        {ID_GET_NETINFO, "", std::regex("(The Ethernet Number is: [0-9a-f]{12}\n)?")},
    };
    QMenu* popup = Popup("Local netConfig");
    for (const auto& c : commands) {
        SCOPED_TRACE(c.nID);
        OpenPopup(popup);
        QTest::mouseMove(popup, popup->actionGeometry(Item(popup, c.nID)).center());
        EXPECT_EQ(Pane(0), c.prompt);
        QWidget* button = nullptr;
        for (QAction* action : ToolBar()->actions()) {
            button = action->data().toUInt() == c.nID ? ToolBar()->widgetForAction(action) : button;
        }
        ASSERT_NE(button, nullptr);
        // The driver fails the test if no box appears or another follows it.
        for (const auto& click : std::vector<std::function<void()>>{
                 [&] { ClickItem(popup, c.nID); },
                 [&] { QTest::mouseClick(button, Qt::LeftButton); }}) {
            std::string text = "<no box>";
            m_modal.When<QMessageBox>([&text](QMessageBox* box) {
                text = box->text().toStdString();
                box->accept();
            });
            click();
            EXPECT_TRUE(WaitUntil([] { return QApplication::activeModalWidget() == nullptr; }));
            EXPECT_TRUE(std::regex_match(text, c.box)) << text;
        }
    }
}

}  // namespace
