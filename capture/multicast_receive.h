// The multicast capture's worker: joins a group and writes its stream to
// D:\receivedMulticast.ts. Started by CVandrelView::OnMulticastReceived; it never reads the
// view: it works on copies taken on the user-interface thread and on its own socket.
#pragma once

#include <atomic>
#include <mutex>

#include "cstring.h"
#include "winsock.h"

// The group text of the last confirmed multicast dialog; defined beside theApp.
extern CString g_strGroupIP;
// The capture port and the loop's run flag, read afresh before every receive; the view's.
extern std::atomic<DWORD> g_nRecvPort;

// The receive thread's socket as its starter sees it: the thread publishes and closes it,
// the starter shuts its receiving down to wake a receive that waits. Outlives the thread.
class CReceiveSocketLink {
public:
    // Thread: makes s the socket that Wake shuts down (at once when Wake came first).
    void Publish(SOCKET s);
    // Thread: withdraws the socket and closes it.
    void Close();
    // Any thread: ends a receive that waits on the socket, now or as soon as it is published.
    void Wake();
    BOOL IsWoken();

private:
    std::mutex m_lock;
    SOCKET m_sock = INVALID_SOCKET;
    BOOL m_bWoken = FALSE;
};

// What the thread is started with; it takes ownership.
struct MulticastReceiveParam {
    sockaddr_in addrLocal;
    ip_mreq mreq;
    CReceiveSocketLink* pLink;
};

// Returns 1 after the loop ends, 0 after a reported failure.
DWORD MulticastReceiveThread(LPVOID lpParameter);
