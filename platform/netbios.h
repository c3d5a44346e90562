// NetBIOS as the program asks it: NCBRESET and NCBASTAT of LAN adapter 0, with the published
// NCB and ADAPTER_STATUS layouts. Synchronous only; any thread.
#pragma once

#include <cstddef>

#include "win_types.h"

inline constexpr std::size_t NCBNAMSZ = 16;

inline constexpr UCHAR NCBRESET = 0x32;
inline constexpr UCHAR NCBASTAT = 0x33;
inline constexpr UCHAR ASYNCH = 0x80;

inline constexpr UCHAR NRC_GOODRET = 0x00;
inline constexpr UCHAR NRC_BUFLEN = 0x01;
inline constexpr UCHAR NRC_ILLCMD = 0x03;
inline constexpr UCHAR NRC_BRIDGE = 0x23;
inline constexpr UCHAR NRC_SYSTEM = 0x40;

struct NCB {
    UCHAR ncb_command;
    UCHAR ncb_retcode;
    UCHAR ncb_lsn;
    UCHAR ncb_num;
    UCHAR* ncb_buffer;
    WORD ncb_length;
    UCHAR ncb_callname[NCBNAMSZ];
    UCHAR ncb_name[NCBNAMSZ];
    UCHAR ncb_rto;
    UCHAR ncb_sto;
    void (*ncb_post)(NCB*);
    UCHAR ncb_lana_num;
    UCHAR ncb_cmd_cplt;
    UCHAR ncb_reserve[sizeof(void*) == 8 ? 18 : 10];
    HANDLE ncb_event;
};

struct ADAPTER_STATUS {
    UCHAR adapter_address[6];
    UCHAR rev_major;
    UCHAR reserved0;
    UCHAR adapter_type;
    UCHAR rev_minor;
    WORD duration;
    WORD frmr_recv;
    WORD frmr_xmit;
    WORD iframe_recv_err;
    WORD xmit_aborts;
    DWORD xmit_success;
    DWORD recv_success;
    WORD iframe_xmit_err;
    WORD recv_buff_unavail;
    WORD t1_timeouts;
    WORD ti_timeouts;
    DWORD reserved1;
    WORD free_ncbs;
    WORD max_cfg_ncbs;
    WORD max_ncbs;
    WORD xmit_buf_unavail;
    WORD max_dgram_size;
    WORD pending_sess;
    WORD max_cfg_sess;
    WORD max_sess;
    WORD max_sess_pkt_size;
    WORD name_count;
};

struct NAME_BUFFER {
    UCHAR name[NCBNAMSZ];
    UCHAR name_num;
    UCHAR name_flags;
};

// Runs the request and returns its code, also left in ncb_retcode and ncb_cmd_cplt.
// LAN adapter 0 is the first interface in the kernel's order that is up, not loopback, and
// Ethernet-type with a six-byte hardware address; there is no other adapter number.
// NCBRESET: NRC_GOODRET. NCBASTAT with the call name "*": the adapter's ADAPTER_STATUS
// (its hardware address, type 0xFE for Ethernet, no names, every other field 0) in
// ncb_buffer, and ncb_length set to the bytes written.
// Failures: NRC_BRIDGE when there is no such adapter, NRC_BUFLEN when ncb_buffer cannot
// hold the record (ncb_buffer is then untouched), NRC_SYSTEM when the kernel cannot be
// asked, NRC_ILLCMD for other commands, asynchronous ones or a remote call name.
[[nodiscard]] UCHAR Netbios(NCB* pncb);
