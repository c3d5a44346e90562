// The developer diagnostics as a user reaches them: the About box's "GetRegValue" and the
// toolbar's "Test CregKey".
#include <QElapsedTimer>
#include <QPushButton>
#include <filesystem>
#include <fstream>

#include "resource.h"
#include "shell_test.h"
#include "standard_ids.h"
#include "stream_writer.h"
#include "temp_prefix.h"
#include "udp_receive_socket.h"
#include "udp_sender.h"

namespace fs = std::filesystem;

namespace {

class DiagnosticsTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        CStreamWriterThread::s_sleep = std::chrono::seconds(30);
        ASSERT_TRUE(Start());
    }
    std::string Log() const { return m_prefix.m_path + "/drives/c/LOG/SendCommand.log"; }
    // "Test CregKey" from the toolbar, on a log of 26 letters; returns once it has written.
    void StartTheWriter() {
        fs::create_directories(fs::path(Log()).parent_path());
        std::ofstream{Log()} << "abcdefghijklmnopqrstuvwxyz";
        Button(ID_TEST_CREGKEY)->click();
        ASSERT_TRUE(WaitUntil([&] { return ReadFile(Log()).starts_with("C:"); }));
    }

    TempPrefix m_prefix;
    ModalDriver m_driver;
};

// The registry file's reading has tests of its own.
TEST_F(DiagnosticsTest, GetRegValueShowsOnlyTheFailuresTheChannelIdsFirst) {
    const std::pair<std::string, std::vector<std::string>> cards[] = {
        {"\"ChannelID\"=dword:00000003\n\"Card State\"=\"on\"\n", {}},
        {"\"ChannelID\"=\"" + std::string(100, 'c') + "\"\n",
         {"RegQueryValueA error,error code = 234", "RegQueryValueA error,error code = 2"}},
    };
    m_modal.When<QDialog>([&](QDialog* about) {
        EXPECT_EQ(about->windowTitle(), QStringLiteral("关于 Vandrel"));
        for (const auto& [values, messages] : cards) {
            std::ofstream(m_prefix.m_path + "/system.reg", std::ios::binary)
                << "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ostrand\\Quellar\\DVB Card 1]\n"
                << values;
            m_driver.m_messages.clear();
            // The last control made, lowered below the others.
            QPushButton* getRegValue = about->findChildren<QPushButton*>().first();
            ASSERT_TRUE(getRegValue->text() == "GetRegValue");
            getRegValue->click();
            EXPECT_EQ(m_driver.m_messages, messages) << values;
        }
        QTest::keyClick(about, Qt::Key_Escape);  // the box closes with Escape
    });
    ClickItem(Popup("帮助(&H)"), ID_APP_ABOUT);
}

TEST_F(DiagnosticsTest, ACaptureBesideTheLogWriterLosesNothing) {
    StartTheWriter();
    m_driver.AnswerDialog("0", ModalDriver::End::Enter);  // any free port
    ClickItem(Popup("Receiver"), ID_UNICAST_RECEIVED);
    // The port taken, as the status bar says: ":port — ...".
    ASSERT_TRUE(WaitUntil([&] { return Pane(0)->text().startsWith(":"); }));
    const std::string sent =
        UdpSender(Pane(0)->text().section(' ', 0, 0).mid(1).toUInt()).Send(1316);
    ASSERT_TRUE(WaitUntil([&] { return g_nRecvFill == 1316; })) << "the capture lost it";
    theApp.m_pMainWnd->SendMessage(WM_CLOSE);
    EXPECT_TRUE(ReadFile(m_prefix.CapturePath()) == sent)
        << "the tail written as the window closed";
}

TEST_F(DiagnosticsTest, ClosingTheWindowEndsTheLogWriterAtOnceItsFileClosedAndNoEndMessage) {
    StartTheWriter();
    QElapsedTimer clock;
    clock.start();
    theApp.m_pMainWnd->SendMessage(WM_CLOSE);
    EXPECT_LT(clock.elapsed(), 10000) << "closing waited for the writer's pause";
    for (const auto& fd : fs::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        EXPECT_NE(fs::read_symlink(fd.path(), error), fs::path(Log())) << "the log is still open";
    }
    EXPECT_EQ(ReadFile(Log()), "C:\\LOG\\Senklmnopqrstuvwxyz") << "one write, over the log's start";
    QCoreApplication::processEvents();  // the writer has ended: an end message would be queued
    EXPECT_TRUE(m_driver.m_messages.empty()) << m_driver.m_messages.front();
}

}  // namespace
