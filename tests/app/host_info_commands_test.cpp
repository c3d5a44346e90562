// "Local netConfig" through the real menu and toolbar: each command ends in one message box.
#include <QMessageBox>
#include <QTest>

#include "host_info.h"
#include "resource.h"
#include "shell_test.h"

namespace {

// Runs click and returns the text of the one message box it shows; the driver fails the test
// if none appears or another follows it.
std::string BoxOf(ModalDriver& modal, const std::function<void()>& click) {
    std::string text = "<no box>";
    modal.When<QMessageBox>([&text](QMessageBox* box) {
        text = box->text().toStdString();
        box->accept();
    });
    click();
    EXPECT_TRUE(WaitUntil([] { return QApplication::activeModalWidget() == nullptr; }));
    return text;
}

TEST_F(ShellTest, HostInfoCommandsShowOneBoxEachFromMenuAndToolbar) {
    ASSERT_TRUE(Start());
    LetIdleRun();
    // What the commands' own code gives on this machine.
    const std::string allIp = GetAllIpText().str();
    EXPECT_FALSE(allIp.empty()) << "127.0.0.1 at least";
    const std::pair<UINT, std::string> commands[] = {{ID_GET_ALL_IP, allIp},
                                                     {ID_GET_NETINFO, GetNetinfoText().str()}};
    QMenu* popup = Popup("Local netConfig");
    for (const auto& [nID, text] : commands) {
        SCOPED_TRACE(nID);
        OpenPopup(popup);
        QAction* item = Item(popup, nID);
        ASSERT_TRUE(item->isEnabled());
        QTest::mouseMove(popup, popup->actionGeometry(item).center());
        EXPECT_EQ(Pane(0), nID == ID_GET_ALL_IP ? QStringLiteral("ghjgfhjgfhj") : "");
        EXPECT_EQ(BoxOf(m_modal, [&] { ClickItem(popup, nID); }), text) << "from the menu";

        for (QAction* button : ToolBar()->actions()) {
            if (!button->isSeparator() && button->data().toUInt() == nID) {
                ASSERT_TRUE(button->isEnabled());
                EXPECT_EQ(BoxOf(m_modal,
                                [&] {
                                    QTest::mouseClick(ToolBar()->widgetForAction(button),
                                                      Qt::LeftButton);
                                }),
                          text)
                    << "from the toolbar";
            }
        }
    }
}

}  // namespace
