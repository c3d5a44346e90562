#include "capture_test_support.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

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

UdpSender::UdpSender(unsigned port, const char* address)
    : m_socket(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)),
      m_address(inet_addr(address)),
      m_port(port) {}

UdpSender::~UdpSender() {
    close(m_socket);
}

std::string UdpSender::Send(size_t size) {
    std::string data(size, '\0');
    for (char& c : data) {
        c = static_cast<char>(m_next++);
    }
    return SendBytes(data);
}

std::string UdpSender::SendBytes(const std::string& data) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(m_port));
    to.sin_addr.s_addr = m_address;
    const ssize_t n =
        sendto(m_socket, data.data(), data.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    return n == static_cast<ssize_t>(data.size()) ? data : std::string();
}

namespace {

constexpr char kNamespaceVariable[] = "VANDREL_TEST_NETNS";

bool WriteText(const char* path, const std::string& text) {
    const int fd = open(path, O_WRONLY | O_CLOEXEC);
    const bool ok =
        fd >= 0 && write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    if (fd >= 0) {
        close(fd);
    }
    return ok;
}

}  // namespace

int RunInNetworkNamespace(const std::string& filter) {
    std::string filterArg = "--gtest_filter=" + filter;
    std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    char* argv[] = {self.data(), filterArg.data(), nullptr};
    std::vector<std::string> variables = {std::string(kNamespaceVariable) + "=1"};
    for (char** e = environ; *e != nullptr; ++e) {
        variables.emplace_back(*e);
    }
    std::vector<char*> envp;
    for (std::string& v : variables) {
        envp.push_back(v.data());
    }
    envp.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv, envp.data()) != 0) {
        return 127;
    }
    int status = 0;
    for (int waited = 0; waited < 2400; ++waited) {  // 240 s
        if (waitpid(pid, &status, WNOHANG) == pid) {
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return 124;
}

bool EnterNetworkNamespace(std::string& reason) {
    if (unshare(CLONE_NEWNET) != 0) {
        // Without the privilege, a user namespace of our own gives it.
        const uid_t uid = geteuid();
        const gid_t gid = getegid();
        if (unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0) {
            reason = std::string("unshare -n: ") + std::strerror(errno);
            return false;
        }
        WriteText("/proc/self/setgroups", "deny");
        if (!WriteText("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
            !WriteText("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1")) {
            reason = "cannot map this user into a user namespace";
            return false;
        }
    }
    const int status =
        std::system("ip link set lo up multicast on && ip route add 224.0.0.0/4 dev lo");
    if (status != 0) {
        reason = "ip could not set up lo in the namespace (lo up, multicast, 224.0.0.0/4)";
        return false;
    }
    return true;
}

bool InNetworkNamespace() {
    return std::getenv(kNamespaceVariable) != nullptr;
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
