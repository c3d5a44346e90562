// The developer diagnostics as a user reaches them: the About box's "GetRegValue", and the
// "No use" menu's and the toolbar's commands.
#include <arpa/inet.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QPushButton>
#include <filesystem>
#include <fstream>

#include "perf_data_source.h"
#include "resource.h"
#include "shell_test.h"
#include "standard_ids.h"
#include "stream_writer.h"
#include "temp_prefix.h"
#include "udp_receive_socket.h"
#include "udp_sender.h"
#include "view.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

class DiagnosticsTest : public ShellTest {
protected:
    std::string Log() const { return m_prefix.m_path + "/drives/c/LOG/SendCommand.log"; }
    TempPrefix m_prefix;
};

std::string Card(const std::string& values) {
    return "Windows Registry Editor Version 5.00\r\n\r\n"
           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ostrand\\Quellar\\DVB Card 1]\r\n" +
           values;
}

std::string Open(int code) {
    return "RegOpenKeyA error,error code = " + std::to_string(code);
}

std::string Query(int code) {
    return "RegQueryValueA error,error code = " + std::to_string(code);
}

TEST_F(DiagnosticsTest, GetRegValueShowsOnlyFailuresChannelIdFirst) {
    ASSERT_TRUE(Start());
    const std::string channel = "\"ChannelID\"=dword:00000003\r\n";
    const std::string state = "\"Card State\"=\"" + std::string(99, 's') + "\"\r\n";
    const struct {
        std::string file;  // empty: no file; "/": a folder in its place
        std::vector<std::string> messages;
    } cases[] = {
        {Card(channel + state), {}},
        {"", {Open(2)}},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ostrand\\Quellar\\DVB Card 2]\n", {Open(2)}},
        {Card(state), {Query(2)}},
        {Card(channel), {Query(2)}},
        {Card(""), {Query(2), Query(2)}},
        {Card("\"ChannelID\"=\"" + std::string(100, 'c') + "\"\r\n"), {Query(234), Query(2)}},
        {"[HKEY_LOCAL_MACHINE\\SOFTWARE]\n", {Open(1009)}},
        {"/", {Open(5)}},
    };
    const std::string registry = m_prefix.m_path + "/system.reg";
    ModalDriver driver;
    m_modal.When<QDialog>([&](QDialog* about) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.file);
            fs::remove(registry);
            if (c.file == "/") {
                fs::create_directory(registry);
            } else if (!c.file.empty()) {
                std::ofstream(registry, std::ios::binary) << c.file;
            }
            driver.m_messages.clear();
            for (QPushButton* button : about->findChildren<QPushButton*>()) {
                if (button->text() == QStringLiteral("GetRegValue")) {
                    button->click();
                }
            }
            EXPECT_EQ(driver.m_messages, c.messages);
        }
        about->accept();
    });
    QMenu* help = Popup("帮助(&H)");
    OpenPopup(help);
    ClickItem(help, ID_APP_ABOUT);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(DiagnosticsTest, TestListOrVectorRunsQuietly) {
    ASSERT_TRUE(Start());
    const auto windows = QApplication::topLevelWidgets().size();
    QMenu* noUse = Popup("No use");
    OpenPopup(noUse);
    ClickItem(noUse, ID_TEST_LIST_VECTOR);
    LetIdleRun();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(QApplication::topLevelWidgets().size(), windows);
    EXPECT_TRUE(fs::is_empty(m_prefix.m_path)) << "the exercise writes no file";
}

// While the writer runs, the display ticks, a capture loses nothing and the commands work;
// closing the window ends the writer at once, with its file closed and no end message.
TEST_F(DiagnosticsTest, TestCregKeyWritesOnItsOwnThreadAndClosingEndsIt) {
    CStreamWriterThread::s_sleep = 30s;
    // Counters that grow at every read, so that every tick draws new rates and paints.
    SetInterfaceSampleSource([bytes = std::uint64_t{0}](std::vector<InterfaceSample>& out) mutable {
        bytes += 4096;
        out = {{"eth0", bytes, bytes, 0}};
        return 0;
    });
    fs::create_directories(fs::path(Log()).parent_path());
    std::ofstream(Log()) << "";
    ASSERT_TRUE(Start());
    ModalDriver driver;
    LetIdleRun();
    QAction* cregKey = ToolBar()->actions().at(16);
    ASSERT_EQ(cregKey->data().toUInt(), static_cast<UINT>(ID_TEST_CREGKEY));
    qobject_cast<QAbstractButton*>(ToolBar()->widgetForAction(cregKey))->click();
    ASSERT_TRUE(WaitUntil([&] { return FileSize(Log()) == 10; }));
    EXPECT_EQ(ReadFile(Log()), "C:\\LOG\\Sen");

    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            paints += event->type() == QEvent::Paint ? 1 : 0;
            return false;
        }
    } counter;
    Frame()->GetActiveView()->GetSafeHwnd()->installEventFilter(&counter);
    EXPECT_TRUE(WaitUntil([&] { return counter.paints >= 2; })) << "the display stopped";

    // A port free on loopback, as the kernel hands one out.
    const int s = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t length = sizeof address;
    bind(s, reinterpret_cast<sockaddr*>(&address), length);
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    close(s);
    driver.AnswerDialog(QString::number(ntohs(address.sin_port)), ModalDriver::End::Enter);
    QMenu* receiver = Popup("Receiver");
    OpenPopup(receiver);
    ClickItem(receiver, ID_UNICAST_RECEIVED);
    UdpSender sender(ntohs(address.sin_port));
    std::string sent;
    for (int i = 0; i < 200; ++i) {
        sent += sender.Send(1316);
    }
    ASSERT_TRUE(WaitUntil([&] {
        return std::max(FileSize(m_prefix.CapturePath()), 0LL) + g_nRecvFill ==
               static_cast<long long>(sent.size());
    })) << "the capture lost datagrams";

    QElapsedTimer clock;
    clock.start();
    theApp.m_pMainWnd->SendMessage(WM_CLOSE);
    EXPECT_LT(clock.elapsed(), 10000) << "closing waited for the writer's pause";
    for (const auto& fd : fs::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        EXPECT_NE(fs::read_symlink(fd.path(), error), fs::path(Log())) << "the log is still open";
    }
    EXPECT_EQ(ReadFile(Log()), "C:\\LOG\\Sen");
    EXPECT_TRUE(ReadFile(m_prefix.CapturePath()) == sent);
    WaitUntil([] { return false; }, 1000);
    EXPECT_TRUE(driver.m_messages.empty()) << driver.m_messages.front();
    CStreamWriterThread::s_sleep = 400ms;
    SetInterfaceSampleSource({});
}

}  // namespace
