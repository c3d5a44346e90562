#include "netbios.h"

#include <net/if.h>
#include <net/if_arp.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "link_stats.h"

static_assert(sizeof(void*) != 8 || sizeof(NCB) == 96);
static_assert(sizeof(void*) != 8 || offsetof(NCB, ncb_buffer) == 8);
static_assert(sizeof(void*) != 8 || offsetof(NCB, ncb_callname) == 18);
static_assert(sizeof(void*) != 8 || offsetof(NCB, ncb_post) == 56);
static_assert(sizeof(void*) != 8 || offsetof(NCB, ncb_lana_num) == 64);
static_assert(sizeof(void*) != 8 || offsetof(NCB, ncb_event) == 88);
static_assert(sizeof(ADAPTER_STATUS) == 60);
static_assert(offsetof(ADAPTER_STATUS, adapter_type) == 8);
static_assert(offsetof(ADAPTER_STATUS, xmit_success) == 20);
static_assert(offsetof(ADAPTER_STATUS, reserved1) == 36);
static_assert(offsetof(ADAPTER_STATUS, name_count) == 58);
static_assert(sizeof(NAME_BUFFER) == 18);

namespace {

constexpr UCHAR kEthernetAdapter = 0xFE;

bool IsLanAdapter(const InterfaceSample& link) {
    return link.type == ARPHRD_ETHER && link.hardwareAddressLength == 6 &&
           (link.flags & IFF_UP) != 0 && (link.flags & IFF_LOOPBACK) == 0;
}

// The interface that stands for LAN adapter 0, or the code that says why there is none.
UCHAR FindLanAdapter(InterfaceSample& adapter) {
    std::vector<InterfaceSample> links;
    if (ReadLinkStats(links) != 0) {
        return NRC_SYSTEM;
    }
    const auto first = std::find_if(links.begin(), links.end(), IsLanAdapter);
    if (first == links.end()) {
        return NRC_BRIDGE;
    }
    adapter = *first;
    return NRC_GOODRET;
}

UCHAR AdapterStatus(NCB& ncb) {
    if (ncb.ncb_callname[0] != '*') {
        return NRC_ILLCMD;
    }
    if (ncb.ncb_buffer == nullptr || ncb.ncb_length < sizeof(ADAPTER_STATUS)) {
        return NRC_BUFLEN;
    }
    InterfaceSample adapter;
    if (const UCHAR code = FindLanAdapter(adapter); code != NRC_GOODRET) {
        return code;
    }
    ADAPTER_STATUS status{};
    std::memcpy(status.adapter_address, adapter.hardwareAddress.data(), 6);
    status.adapter_type = kEthernetAdapter;
    std::memcpy(ncb.ncb_buffer, &status, sizeof status);
    ncb.ncb_length = sizeof status;
    return NRC_GOODRET;
}

UCHAR Run(NCB& ncb) {
    if (ncb.ncb_command != NCBRESET && ncb.ncb_command != NCBASTAT) {
        return NRC_ILLCMD;
    }
    if (ncb.ncb_lana_num != 0) {
        return NRC_BRIDGE;
    }
    switch (ncb.ncb_command) {
        case NCBRESET: {
            InterfaceSample adapter;
            return FindLanAdapter(adapter);
        }
        case NCBASTAT:
            return AdapterStatus(ncb);
        default:
            return NRC_ILLCMD;
    }
}

}  // namespace

UCHAR Netbios(NCB* pncb) {
    const UCHAR code = Run(*pncb);
    pncb->ncb_retcode = code;
    pncb->ncb_cmd_cplt = code;
    return code;
}
