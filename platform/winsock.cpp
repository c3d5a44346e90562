#include "winsock.h"

#include <unistd.h>

#include <cerrno>
#include <fstream>

#include "win_error.h"

int closesocket(SOCKET s) {
    if (close(s) != 0) {
        SetLastError(WinErrorFromErrno(errno));
        return SOCKET_ERROR;
    }
    return 0;
}

DWORD GetUnprivilegedPortStart() {
    std::ifstream file("/proc/sys/net/ipv4/ip_unprivileged_port_start");
    DWORD port = 1024;
    if (!(file >> port)) {
        return 1024;
    }
    return port;
}
