#include "network_namespace.h"

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
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

bool WriteText(const char* path, const std::string& text) {
    const int fd = open(path, O_WRONLY | O_CLOEXEC);
    const bool ok =
        fd >= 0 && write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    if (fd >= 0) {
        close(fd);
    }
    return ok;
}

// Whether every positive pattern of the filter names a test of a registered suite.
bool SelectsOnlyRegisteredSuites(const std::string& filter) {
    const std::string positive = filter.substr(0, filter.find('-'));
    std::istringstream patterns(positive);
    bool any = false;
    for (std::string pattern; std::getline(patterns, pattern, ':');) {
        const auto dot = pattern.find('.');
        if (dot == std::string::npos || Suites().count(pattern.substr(0, dot)) == 0 ||
            pattern.substr(0, dot).find_first_of("*?") != std::string::npos) {
            return false;
        }
        any = true;
    }
    return any;
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

}  // namespace

bool RunInNetworkNamespace(const char* suite) {
    Suites().insert(suite);
    return true;
}

void EnterNetworkNamespaceIfSelected() {
    const std::string filter = GTEST_FLAG_GET(filter);
    if (!SelectsOnlyRegisteredSuites(filter)) {
        WhyNot() =
            "runs only in a network namespace of its own, when run alone "
            "(ctest, or --gtest_filter=Suite.*)";
        return;
    }
    std::string reason;
    if (!EnterNetworkNamespace(reason)) {
        WhyNot() = "no network namespace could be made: " + reason;
    }
}

const std::string& WhyNoNetworkNamespace() {
    return WhyNot();
}
