// The host-information commands of "Local netConfig": the text each shows in its one message
// box. Called by the view's handlers on the user-interface thread; both block while the
// kernel and the resolver answer.
#pragma once

#include "cstring.h"
#include "host_lookup.h"
#include "netbios.h"

// "Get all IP address": every IPv4 address of the host's own name, one dotted address a line,
// each ended by "\n". Empty when the name cannot be had or resolves to nothing.
CString GetAllIpText();
// Appends pHost's addresses to strAddresses as GetAllIpText shows them; nothing for null.
void AppendHostAddresses(CString& strAddresses, const hostent* pHost);

// "get netinfo": "The Ethernet Number is: " and LAN adapter 0's hardware address in twelve
// lower-case hex digits, then "\n". Empty when the adapter-status request fails.
CString GetNetinfoText();
CString FormatEthernetNumber(const ADAPTER_STATUS& status);
