#include "join_diagnosis_text.h"

#include <string>

namespace {

std::string Dotted(in_addr_t address) {
    char text[INET_ADDRSTRLEN] = {};
    in_addr parsed{};
    parsed.s_addr = address;
    inet_ntop(AF_INET, &parsed, text, sizeof text);
    return text;
}

std::string Joined(const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& name : names) {
        out += (out.empty() ? "" : ", ") + name;
    }
    return out;
}

std::string InterfaceCause(const MulticastDiagnosis& d, const std::string& group) {
    const std::string joinedOn = "the interface " + d.interfaceName + " it was joined on";
    switch (d.problem) {
        case InterfaceProblem::kGone:
            return joinedOn + " is gone. Once it is back, start Vandrel again to join on it.";
        case InterfaceProblem::kDown:
            return joinedOn + " is down. Bring it up: sudo ip link set dev " + d.interfaceName +
                   " up";
        case InterfaceProblem::kNoCarrier:
            return joinedOn + " has no link: check its cable, or the device at its other end.";
        case InterfaceProblem::kNoMulticast:
            return joinedOn + " does not take multicast. Allow it: sudo ip link set dev " +
                   d.interfaceName + " multicast on";
        case InterfaceProblem::kNoRoute:
        case InterfaceProblem::kNone:
            break;
    }
    return "no route leads to the group any more. Next time, name the interface the stream "
           "comes in on, as " +
           group + "%eth0.";
}

std::string ReversePathCause(const MulticastDiagnosis& d) {
    const std::string rp = "rp_filter=" + std::to_string(d.rpFilter);
    const std::string command = "sudo sysctl " + d.sysctlSettings;
    if (d.filteringInterfaces.size() != 1) {
        return "the reverse-path filter drops them (" + rp + " on " +
               Joined(d.filteringInterfaces) + "). Make it loose: " + command;
    }
    const std::string& name = d.filteringInterfaces.front();
    if (!d.hasAddress) {
        return "the reverse-path filter drops them on " + name + ", which has no IPv4 address (" +
               rp + "). Switch it off there: " + command;
    }
    if (d.rpFilter == 1) {
        return "the reverse-path filter drops them on " + name + " (" + rp +
               ", strict: no route back to their sender leads out of " + name +
               "). Make it loose: " + command;
    }
    return "the reverse-path filter drops them on " + name + " (" + rp +
           ", loose: no route at all leads back to their sender). Add one, or switch the "
           "filter off there: " +
           command;
}

std::string NothingCause(const MulticastDiagnosis& d, const std::string& stream,
                         const std::string& sender, const std::string& group) {
    const std::string on = d.interfaceName.empty() ? "" : " on " + d.interfaceName;
    if (d.streamRan) {
        return "no multicast reaches this host" + on +
               " any more. If it ran for some minutes, a switch's IGMP snooping without a querier "
               "has likely cut it off: the network needs an IGMP querier (or the sender "
               "stopped).";
    }
    std::string cause = "no multicast reaches this host" + on + ". Check that " + sender +
                        " sends to " + stream + " and that the network carries the group to " +
                        (d.interfaceName.empty() ? "this host" : d.interfaceName);
    if (d.joinedByRoute && !d.interfaceName.empty()) {
        cause += " (where the route to the group leads; to join on another interface, write " +
                 group + "%eth1)";
    }
    return cause + ".";
}

}  // namespace

CString FormatJoinDiagnosis(const MulticastDiagnosis& diagnosis,
                            const MulticastMembership& membership, WORD nPort, int nSeconds) {
    const std::string group = Dotted(membership.group);
    const std::string stream = group + ":" + std::to_string(nPort);
    const bool bOneSource = membership.source != INADDR_ANY;
    const std::string from = bOneSource ? " from " + Dotted(membership.source) : "";
    const std::string sender = bOneSource ? Dotted(membership.source) : "the sender";
    const std::string seconds = std::to_string(nSeconds) + " s: ";
    std::string text = diagnosis.streamRan
                           ? "The stream of " + stream + from + " has been silent for " + seconds
                           : "No datagram of " + stream + from + " arrived in " + seconds;
    switch (diagnosis.kind) {
        case JoinDiagnosis::kNone:
            return CString();
        case JoinDiagnosis::kInterface:
            text += InterfaceCause(diagnosis, group);
            break;
        case JoinDiagnosis::kReversePath:
            text += ReversePathCause(diagnosis);
            break;
        case JoinDiagnosis::kFirewall:
            text += "multicast reaches this host (" + std::to_string(diagnosis.multicastSeen) +
                    " packets) but not the capture: most likely a firewall drops UDP port " +
                    std::to_string(nPort) + " or IGMP. See its rules: sudo nft list ruleset";
            break;
        case JoinDiagnosis::kNothingArrives:
            text += NothingCause(diagnosis, stream, sender, group);
            break;
    }
    return CString(text);
}
