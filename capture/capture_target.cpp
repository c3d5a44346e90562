// What the capture dialogs last confirmed, which the view sets and the multicast thread reads.
// Defined here, not beside theApp, so that tests and benchmarks link them without the program.
#include "multicast_receive.h"

CString g_strGroupIP;
std::atomic<DWORD> g_nRecvPort{0};
