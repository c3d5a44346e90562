#include "network_namespace.h"

#include <sched.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>

namespace {

std::set<std::string>& Suites() {  // filled by static initialisers, so made on first use
    static std::set<std::string> suites;
    return suites;
}

std::string g_whyNot;

// Whether every positive pattern of the filter names a test of a registered suite (a pattern
// without a suite, or with a wildcard for one, does not).
bool SelectsOnlyRegisteredSuites(const std::string& filter) {
    std::istringstream patterns(filter.substr(0, filter.find('-')));
    bool any = false;
    for (std::string pattern; std::getline(patterns, pattern, ':'); any = true) {
        const auto dot = pattern.find('.');
        if (dot == std::string::npos || Suites().count(pattern.substr(0, dot)) == 0) {
            return false;
        }
    }
    return any;
}

}  // namespace

std::string UnshareAsRoot(int flags) {
    // Without the privilege, a user namespace of our own gives it.
    const std::string uid = std::to_string(geteuid()), gid = std::to_string(getegid());
    if (unshare(flags) == 0) {
        return "";
    }
    if (unshare(flags | CLONE_NEWUSER) != 0) {
        return std::string("unshare: ") + std::strerror(errno);
    }
    std::ofstream("/proc/self/setgroups") << "deny";
    if (!(std::ofstream("/proc/self/uid_map") << "0 " + uid + " 1" << std::flush) ||
        !(std::ofstream("/proc/self/gid_map") << "0 " + gid + " 1" << std::flush)) {
        return "cannot map this user into a user namespace";
    }
    return "";
}

bool RunInNetworkNamespace(const char* suite) {
    return Suites().insert(suite), true;
}

void EnterNetworkNamespaceIfSelected() {
    if (!SelectsOnlyRegisteredSuites(GTEST_FLAG_GET(filter))) {
        g_whyNot =
            "runs only in a network namespace of its own, when run alone "
            "(ctest, or --gtest_filter=Suite.*)";
    } else if (const std::string reason = UnshareAsRoot(CLONE_NEWNET); !reason.empty()) {
        g_whyNot = "no network namespace could be made: " + reason;
    } else if (std::system("ip link set lo up multicast on && ip route add 224.0.0.0/4 dev lo")) {
        g_whyNot = "ip could not set up lo in its namespace (lo up, multicast, 224.0.0.0/4)";
    }
}

const std::string& WhyNoNetworkNamespace() {
    return g_whyNot;
}
