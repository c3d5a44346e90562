// The multicast capture's worker: joins a group and writes its stream to
// D:\receivedMulticast.ts. Started by CVandrelView::OnMulticastReceived; it never reads the
// view: it works on copies taken on the user-interface thread and on its own socket.
#pragma once

#include <atomic>
#include <chrono>
#include <mutex>

#include "capture_status.h"
#include "cstring.h"
#include "datagram_receiver.h"
#include "winsock.h"

// The group text of the last confirmed multicast dialog; defined in capture_target.cpp.
extern CString g_strGroupIP;
// The capture port and the loop's run flag, read afresh before every receive; set by the view.
extern std::atomic<DWORD> g_nRecvPort;

// The receive thread's reader as its starter sees it: the thread publishes and withdraws it,
// the starter wakes the thread through it. Outlives the thread.
class CReceiveSocketLink {
public:
    // Thread: makes pReceiver the reader that Wake wakes (at once when Wake came first).
    void Publish(DatagramReceiver* pReceiver);
    // Thread: withdraws the reader before it goes.
    void Withdraw();
    // Any thread: ends a wait for datagrams, now or as soon as a reader is published.
    void Wake();
    BOOL IsWoken();

private:
    std::mutex m_lock;
    DatagramReceiver* m_pReceiver = nullptr;
    BOOL m_bWoken = FALSE;
};

// What the thread is started with; it takes ownership.
struct MulticastReceiveParam {
    sockaddr_in addrLocal;
    CString strGroupIP;  // the address field as confirmed: a group, its interface, its source
    CReceiveSocketLink* pLink;
    CCaptureStatus* pStatus;  // the starter's, outlives the thread
};

// How long a capture waits without a datagram of its group before it looks at the host for
// why; 5 s unless a test shortens it. For threads started from now on.
void SetSilenceWindowForTesting(std::chrono::milliseconds window);

// Returns 1 after the loop ends, 0 after a reported failure.
DWORD MulticastReceiveThread(LPVOID lpParameter);
