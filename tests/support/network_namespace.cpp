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

std::set<std::string>& Suites() {
    static std::set<std::string> suites;
    return suites;
}

std::string& WhyNot() {
    static std::string why;
    return why;
}

// Whether every positive pattern of the filter names a test of a registered suite.
bool SelectsOnlyRegisteredSuites(const std::string& filter) {
    std::istringstream patterns(filter.substr(0, filter.find('-')));
    bool any = false;
    for (std::string pattern; std::getline(patterns, pattern, ':');) {
        const std::string suite = pattern.substr(0, pattern.find('.'));
        if (suite == pattern || Suites().count(suite) == 0) {
            return false;  // no suite named, or one not registered (a wildcard is neither)
        }
        any = true;
    }
    return any;
}

// Empty once in a namespace with lo set up; otherwise why not.
std::string EnterNetworkNamespace() {
    if (unshare(CLONE_NEWNET) != 0) {
        // Without the privilege, a user namespace of our own gives it.
        const std::string uid = std::to_string(geteuid()), gid = std::to_string(getegid());
        if (unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0) {
            return std::string("unshare -n: ") + std::strerror(errno);
        }
        std::ofstream("/proc/self/setgroups") << "deny";
        if (!(std::ofstream("/proc/self/uid_map") << "0 " + uid + " 1" << std::flush) ||
            !(std::ofstream("/proc/self/gid_map") << "0 " + gid + " 1" << std::flush)) {
            return "cannot map this user into a user namespace";
        }
    }
    if (std::system("ip link set lo up multicast on && ip route add 224.0.0.0/4 dev lo") != 0) {
        return "ip could not set up lo in the namespace (lo up, multicast, 224.0.0.0/4)";
    }
    return "";
}

}  // namespace

bool RunInNetworkNamespace(const char* suite) {
    Suites().insert(suite);
    return true;
}

void EnterNetworkNamespaceIfSelected() {
    if (!SelectsOnlyRegisteredSuites(GTEST_FLAG_GET(filter))) {
        WhyNot() =
            "runs only in a network namespace of its own, when run alone "
            "(ctest, or --gtest_filter=Suite.*)";
    } else if (const std::string reason = EnterNetworkNamespace(); !reason.empty()) {
        WhyNot() = "no network namespace could be made: " + reason;
    }
}

const std::string& WhyNoNetworkNamespace() {
    return WhyNot();
}
