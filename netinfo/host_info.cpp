#include "host_info.h"

#include <cstring>

#include "socket_init.h"

namespace {

// The target of the adapter-status request: one record and room for 30 names. Read only after
// a request that succeeded; never cleared, so it keeps the last record NetBIOS wrote.
struct AdapterStatusBuffer {
    ADAPTER_STATUS adapt;
    NAME_BUFFER NameBuff[30];
};
static_assert(sizeof(AdapterStatusBuffer) == 600);

AdapterStatusBuffer g_adapterStatus;

}  // namespace

CString GetAllIpText() {
    AfxSocketInit(nullptr);
    CString strAddresses;
    char szHostName[128];
    // After a failure the buffer holds no defined name to look up.
    if (gethostname(szHostName, sizeof szHostName) != 0) {
        return strAddresses;
    }
    AppendHostAddresses(strAddresses, gethostbyname(szHostName));
    return strAddresses;
}

void AppendHostAddresses(CString& strAddresses, const hostent* pHost) {
    if (pHost == nullptr) {
        return;
    }
    for (int i = 0; pHost->h_addr_list[i] != nullptr; ++i) {
        const auto* pAddress = reinterpret_cast<const unsigned char*>(pHost->h_addr_list[i]);
        for (int j = 0; j < 4; ++j) {
            CString strByte;
            strByte.Format("%u", static_cast<unsigned>(pAddress[j]));
            strAddresses += strByte;
            strAddresses += j < 3 ? "." : "\n";
        }
    }
}

CString GetNetinfoText() {
    NCB ncb;
    std::memset(&ncb, 0, sizeof ncb);
    ncb.ncb_command = NCBRESET;
    ncb.ncb_lana_num = 0;
    (void)Netbios(&ncb);  // a failed reset makes the status request below fail as well

    std::memset(&ncb, 0, sizeof ncb);
    ncb.ncb_command = NCBASTAT;
    ncb.ncb_lana_num = 0;
    ncb.ncb_buffer = reinterpret_cast<UCHAR*>(&g_adapterStatus);
    ncb.ncb_length = sizeof g_adapterStatus;
    // "*" asks for the local adapter; the rest of the name stays zero.
    ncb.ncb_callname[0] = '*';
    ncb.ncb_callname[1] = ' ';

    CString strText;
    if (Netbios(&ncb) == 0) {
        strText = FormatEthernetNumber(g_adapterStatus.adapt);
    }
    return strText;
}

CString FormatEthernetNumber(const ADAPTER_STATUS& status) {
    const UCHAR* a = status.adapter_address;
    CString strText;
    strText.Format("The Ethernet Number is: %02x%02x%02x%02x%02x%02x\n",
                   static_cast<unsigned>(a[0]), static_cast<unsigned>(a[1]),
                   static_cast<unsigned>(a[2]), static_cast<unsigned>(a[3]),
                   static_cast<unsigned>(a[4]), static_cast<unsigned>(a[5]));
    return strText;
}
