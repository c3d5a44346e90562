// What the multicast dialog's address field may hold: a group, and beside it the interface
// to join on and the one source to take. Read by the multicast capture before it joins; pure.
#pragma once

#include "cstring.h"
#include "winsock.h"

struct CMulticastAddress {
    in_addr_t m_group = INADDR_NONE;  // network byte order, as m_source
    in_addr_t m_source = INADDR_ANY;  // INADDR_ANY: every source
    CString m_strInterface;           // empty: the one the route to the group leads out of
};

// Reads "group", "group%interface", "source@group" and "source@group%interface"; spaces
// around the text and around '@' and '%' do not count. A plain group is read by inet_addr, as
// it always was, and a text that is no multicast address is then refused by the join; the
// other forms take dotted decimal only, a multicast group and a unicast source.
// Returns FALSE for any other text (address left as it was): "Could not Add member!".
BOOL ParseMulticastAddress(LPCSTR lpszText, CMulticastAddress& address);
