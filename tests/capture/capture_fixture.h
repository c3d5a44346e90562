// The captures as a user runs them: the view's commands through the real dialogs, sockets,
// thread and event loop, writing under a fresh prefix, message boxes answered and recorded.
// For the capture tests; user-interface thread only.
#pragma once

#include <sys/socket.h>
#include <unistd.h>

#include <gmock/gmock.h>

#include <QApplication>
#include <QDialog>
#include <filesystem>
#include <fstream>

#include "datagram_receiver.h"
#include "modal_driver.h"
#include "resource.h"
#include "temp_prefix.h"
#include "udp_receive_socket.h"
#include "udp_sender.h"
#include "vandrel_view.h"
#include "wait.h"

using Messages = std::vector<std::string>;
using testing::HasSubstr;

class CaptureTest : public testing::Test {
protected:
    class View : public CVandrelView {
    public:
        CUdpReceiveSocket* Socket() const { return m_hSocket; }
        HANDLE Thread() const { return m_hThread; }
    };

    CaptureTest() {
        g_nRecvPort = 0;
        g_nRecvFill = 0;
    }
    ~CaptureTest() override { SetDatagramQueueBytes(0); }

    // The command; its dialog gets onDialog first, then typed in its first edit (when given),
    // then end.
    void Command(UINT nID, const char* typed, ModalDriver::End end = ModalDriver::End::Enter,
                 std::function<void(QDialog*)> onDialog = {}) {
        m_driver.m_onDialog = std::move(onDialog);
        m_driver.AnswerDialog(typed != nullptr ? typed : "", end, typed != nullptr);
        m_pView->SendMessage(WM_COMMAND, nID);
    }
    // What an earlier capture left at path.
    static void KeepLastRecording(const std::string& path) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << "the last capture";
    }
    // Closes the window; returns what the captures said on standard error as they ended.
    std::string Close() {
        testing::internal::CaptureStderr();
        m_pView.reset();
        return testing::internal::GetCapturedStderr();
    }

    TempPrefix m_prefix;
    ModalDriver m_driver;
    std::unique_ptr<View> m_pView = std::make_unique<View>();
};
