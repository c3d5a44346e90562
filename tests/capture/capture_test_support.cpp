#include "capture_test_support.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

TempPrefix::TempPrefix() {
    char folder[] = "/tmp/vandrel-capture-XXXXXX";
    m_path = mkdtemp(folder);
    setenv("VANDREL_PREFIX", m_path.c_str(), 1);
}

TempPrefix::~TempPrefix() {
    unsetenv("VANDREL_PREFIX");
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

bool WaitUntil(const std::function<bool()>& pred, int deadlineMs) {
    QElapsedTimer clock;
    clock.start();
    while (!pred()) {
        if (clock.elapsed() > deadlineMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

LoopbackSender::LoopbackSender(unsigned port)
    : m_socket(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)), m_port(port) {}

LoopbackSender::~LoopbackSender() {
    close(m_socket);
}

std::string LoopbackSender::Send(size_t size) {
    std::string data(size, '\0');
    for (char& c : data) {
        c = static_cast<char>(m_next++);
    }
    return SendBytes(data);
}

std::string LoopbackSender::SendBytes(const std::string& data) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(m_port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const ssize_t n =
        sendto(m_socket, data.data(), data.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    return n == static_cast<ssize_t>(data.size()) ? data : std::string();
}

ModalDriver::ModalDriver() {
    QObject::connect(&m_timer, &QTimer::timeout, [this] { Tick(); });
    m_timer.start(10);
}

void ModalDriver::AnswerDialog(const QString& typed, End end, bool clearFirst) {
    m_typed = typed;
    m_end = end;
    m_clearFirst = clearFirst;
    m_pending = true;
}

void ModalDriver::Tick() {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        m_messages.push_back(box->text().toStdString());
        box->button(QMessageBox::Ok)->click();
        return;
    }
    auto* dialog = qobject_cast<QDialog*>(modal);
    if (dialog == nullptr || !m_pending) {
        return;
    }
    m_pending = false;
    if (m_onDialog) {
        m_onDialog(dialog);
    }
    if (auto* edit = dialog->findChild<QLineEdit*>()) {
        if (m_clearFirst) {
            edit->clear();
        }
        QTest::keyClicks(edit, m_typed);
    }
    switch (m_end) {
        case End::Enter:
            QTest::keyClick(dialog, Qt::Key_Return);
            break;
        case End::Escape:
            QTest::keyClick(dialog, Qt::Key_Escape);
            break;
        case End::CloseBox: {
            dialog->close();
            break;
        }
        case End::None:
            break;
    }
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream out;
    out << file.rdbuf();
    return out.str();
}

long long FileSize(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    return error ? -1 : static_cast<long long>(size);
}
