#include "sender_namespace.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <net/if.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

bool RunHere(const std::string& commands) {
    return std::system(("set -e\n" + commands).c_str()) == 0;
}

SenderNamespace::SenderNamespace() {
    // Without O_CLOEXEC: `ip` reaches it as /proc/self/fd/N to move a link there.
    m_here = open("/proc/thread-self/ns/net", O_RDONLY);
    if (m_here < 0 || unshare(CLONE_NEWNET) != 0) {
        m_whyNot = std::string("no second network namespace: ") + std::strerror(errno);
        return;
    }
    m_there = open("/proc/thread-self/ns/net", O_RDONLY);
    Leave();
    const std::string there = "/proc/self/fd/" + std::to_string(m_there);
    if (m_there < 0 ||
        !RunHere("ip link add name r1 type veth peer name s1 netns " + there + "\n" +
                 "ip link add name r2 type veth peer name s2 netns " + there + "\n" +
                 "ip link set dev r1 up\nip link set dev r2 up") ||
        !RunHere("nsenter --net=" + there +
                 " sh -ec 'ip link set dev lo up\n"
                 "ip link set dev s1 up\nip link set dev s2 up\nip addr add 10.1.0.1/24 dev s1\n"
                 "ip addr add 10.1.0.3/24 dev s1\nip addr add 10.2.0.1/24 dev s2'")) {
        m_whyNot = "ip could not join the two namespaces with veth pairs";
    }
}

SenderNamespace::~SenderNamespace() {
    // The namespace goes once its last socket is closed, and its pairs with it, but later:
    // the next test of the same process may want their names.
    if (m_whyNot.empty()) {
        RunHere("ip link del dev r1\nip link del dev r2");
    }
    close(m_there);  // -1 when not made: nothing to close
    close(m_here);
}

void SenderNamespace::Leave() {
    // Failing here would leave the test in the wrong namespace: nothing after it is to be
    // trusted.
    if (setns(m_here, CLONE_NEWNET) != 0) {
        std::abort();
    }
}

int SenderNamespace::MakeSender(const char* link, const char* source) {
    if (setns(m_there, CLONE_NEWNET) != 0) {
        return -1;
    }
    // A socket stays in the namespace it was made in.
    int s = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ip_mreqn out{};
    out.imr_ifindex = static_cast<int>(if_nametoindex(link));
    sockaddr_in from{AF_INET, 0, {inet_addr(source)}, {}};
    if (s >= 0 && (setsockopt(s, IPPROTO_IP, IP_MULTICAST_IF, &out, sizeof out) != 0 ||
                   bind(s, reinterpret_cast<const sockaddr*>(&from), sizeof from) != 0)) {
        close(s);
        s = -1;
    }
    Leave();
    return s;
}

int SendDatagrams(int s, const char* address, unsigned port, const std::string& payload,
                  int count) {
    const sockaddr_in to{AF_INET, htons(static_cast<uint16_t>(port)), {inet_addr(address)}, {}};
    int sent = 0;
    for (int i = 0; i < count; ++i) {
        sent += sendto(s, payload.data(), payload.size(), 0, reinterpret_cast<const sockaddr*>(&to),
                       sizeof to) == static_cast<ssize_t>(payload.size());
    }
    return sent;
}
