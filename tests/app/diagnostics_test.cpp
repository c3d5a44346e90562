// The developer diagnostics as a user reaches them: the About box's "GetRegValue", and the
// "No use" menu's and the toolbar's commands.
#include <arpa/inet.h>
#include <unistd.h>

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
    TempPrefix m_prefix;
};

// "Test list or vector" shows and writes nothing. "GetRegValue" shows only the failures, the
// channel id's first (the registry file's reading has tests of its own). "Test CregKey" writes on
// a thread of its own while a capture loses nothing; closing the window ends it at once, its file
// closed and no end message.
TEST_F(DiagnosticsTest, EachShowsOnlyWhatFailedAndTheWriterEndsWithTheProgram) {
    CStreamWriterThread::s_sleep = std::chrono::seconds(30);
    ASSERT_TRUE(Start());
    ModalDriver driver;
    const auto windows = QApplication::topLevelWidgets().size();
    ClickItem(Popup("No use"), ID_TEST_LIST_VECTOR);
    QTest::qWait(250);  // time to show anything
    EXPECT_EQ(QApplication::topLevelWidgets().size(), windows);
    EXPECT_TRUE(fs::is_empty(m_prefix.m_path)) << "the exercise writes no file";

    const std::pair<std::string, std::vector<std::string>> cards[] = {
        {"\"ChannelID\"=dword:00000003\n\"Card State\"=\"on\"\n", {}},
        {"\"ChannelID\"=\"" + std::string(100, 'c') + "\"\n",
         {"RegQueryValueA error,error code = 234", "RegQueryValueA error,error code = 2"}},
    };
    m_modal.When<QDialog>([&](QDialog* about) {
        for (const auto& [values, messages] : cards) {
            std::ofstream(m_prefix.m_path + "/system.reg", std::ios::binary)
                << "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ostrand\\Quellar\\DVB Card 1]\n"
                << values;
            driver.m_messages.clear();
            // The last control made, lowered below the others.
            QPushButton* getRegValue = about->findChildren<QPushButton*>().first();
            ASSERT_TRUE(getRegValue->text() == "GetRegValue");
            getRegValue->click();
            EXPECT_EQ(driver.m_messages, messages) << values;
        }
        driver.m_messages.clear();
        QTest::keyClick(about, Qt::Key_Escape);  // the box closes with Escape
    });
    ClickItem(Popup("帮助(&H)"), ID_APP_ABOUT);

    const std::string log = m_prefix.m_path + "/drives/c/LOG/SendCommand.log";
    fs::create_directories(fs::path(log).parent_path());
    std::ofstream{log};
    Button(ID_TEST_CREGKEY)->click();
    ASSERT_TRUE(WaitUntil([&] { return FileSize(log) == 10; }));
    // A port free on loopback, as the kernel hands one out.
    const int s = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t length = sizeof address;
    bind(s, reinterpret_cast<sockaddr*>(&address), length);
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    close(s);
    driver.AnswerDialog(QString::number(ntohs(address.sin_port)), ModalDriver::End::Enter);
    ClickItem(Popup("Receiver"), ID_UNICAST_RECEIVED);
    const std::string sent = UdpSender(ntohs(address.sin_port)).Send(1316);
    ASSERT_TRUE(WaitUntil([&] { return g_nRecvFill == 1316; })) << "the capture lost it";

    QElapsedTimer clock;
    clock.start();
    theApp.m_pMainWnd->SendMessage(WM_CLOSE);
    EXPECT_LT(clock.elapsed(), 10000) << "closing waited for the writer's pause";
    for (const auto& fd : fs::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        EXPECT_NE(fs::read_symlink(fd.path(), error), fs::path(log)) << "the log is still open";
    }
    EXPECT_EQ(ReadFile(log), "C:\\LOG\\Sen");
    EXPECT_TRUE(ReadFile(m_prefix.CapturePath()) == sent)
        << "the tail written as the window closed";
    WaitUntil([] { return false; }, 1000);
    EXPECT_TRUE(driver.m_messages.empty()) << driver.m_messages.front();
}

}  // namespace
