// The senders' side of a multicast test: a network namespace of their own joined to the
// test's by two veth pairs, s1-r1 and s2-r2, so that one group can come in on two interfaces.
// The test's own namespace must be its own too (RunInNetworkNamespace); one thread uses it.
#pragma once

#include <string>

class SenderNamespace {
public:
    // Here r1 and r2 come up without addresses; there s1 has 10.1.0.1/24 and 10.1.0.3/24,
    // s2 has 10.2.0.1/24.
    SenderNamespace();
    ~SenderNamespace();
    SenderNamespace(const SenderNamespace&) = delete;
    SenderNamespace& operator=(const SenderNamespace&) = delete;

    // Empty once made; otherwise why not, to skip with.
    const std::string& WhyNot() const { return m_whyNot; }
    // A datagram socket there, bound to source, that sends groups out of link; -1 on failure.
    int MakeSender(const char* link, const char* source);

private:
    void Leave();

    int m_here = -1;
    int m_there = -1;
    std::string m_whyNot;
};

// Sends payload count times from s to address:port; returns how many went.
int SendDatagrams(int s, const char* address, unsigned port, const std::string& payload, int count);

// Runs commands (sh) in the test's own namespace; true when they all succeeded.
bool RunHere(const std::string& commands);
