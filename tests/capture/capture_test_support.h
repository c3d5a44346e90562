// Helpers of the capture tests: a temporary prefix, a loopback sender, bounded waits, and a
// driver that answers modal dialogs and message boxes through their widgets.
// User-interface thread only; every wait has a deadline.
#pragma once

#include <netinet/in.h>

#include <QTimer>

#include <functional>
#include <string>
#include <vector>

#include "cstring.h"

// Sets VANDREL_PREFIX to a fresh folder for the object's lifetime.
class TempPrefix {
public:
    TempPrefix();
    ~TempPrefix();
    std::string CapturePath() const { return m_path + "/drives/d/ReceivedUDP.ts"; }
    std::string m_path;
};

// Pumps the event loop until pred() holds or deadlineMs pass; returns pred().
bool WaitUntil(const std::function<bool()>& pred, int deadlineMs = 5000);

// Sends datagrams to address:port (a multicast group goes out of the host's default
// interface for it).
class UdpSender {
public:
    explicit UdpSender(unsigned port, const char* address = "127.0.0.1");
    ~UdpSender();
    UdpSender(const UdpSender&) = delete;
    UdpSender& operator=(const UdpSender&) = delete;
    // A datagram of size bytes, bytes counting on from the previous one; returns what was sent.
    std::string Send(size_t size);
    // Sends data as one datagram; returns it, or nothing when it could not be sent.
    std::string SendBytes(const std::string& data);

private:
    int m_socket;
    in_addr_t m_address;
    unsigned m_port;
    unsigned char m_next = 0;
};

using LoopbackSender = UdpSender;

struct MulticastSender : UdpSender {
    MulticastSender(const char* group, unsigned port) : UdpSender(port, group) {}
};

// The multicast tests run in a network namespace of their own: a copy of this program is
// started in one, with only the tests named by filter. Returns its exit status, 77 when no
// namespace could be made (it says why on standard error), 124 when it timed out.
int RunInNetworkNamespace(const std::string& filter);
// In that copy, before anything else: makes the namespace (lo up, multicast on, a route for
// 224.0.0.0/4). Returns false, with the reason, when it cannot.
bool EnterNetworkNamespace(std::string& reason);
// Whether this is that copy.
bool InNetworkNamespace();

// Answers the next modal dialog by typing keys into its focused/first edit (optional) and
// then pressing a key or closing it; records and dismisses every message box.
class ModalDriver {
public:
    enum class End { Enter, Escape, CloseBox, None };
    ModalDriver();
    void AnswerDialog(const QString& typed, End end, bool clearFirst = true);
    std::vector<std::string> m_messages;
    std::function<void(class QDialog*)> m_onDialog;  // called once the dialog is found

private:
    void Tick();
    QTimer m_timer;
    QString m_typed;
    End m_end = End::None;
    bool m_clearFirst = true;
    bool m_pending = false;
};

std::string ReadFile(const std::string& path);
long long FileSize(const std::string& path);
