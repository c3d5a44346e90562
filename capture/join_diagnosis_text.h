// The multicast capture's sentence when its group does not arrive: the cause the host shows
// and what to do about it. Made on the receive thread for its message box and its end line.
#pragma once

#include "cstring.h"
#include "multicast_diagnosis.h"
#include "multicast_join.h"

// nSeconds: the silence waited for. Returns an empty text for JoinDiagnosis::kNone.
CString FormatJoinDiagnosis(const MulticastDiagnosis& diagnosis,
                            const MulticastMembership& membership, WORD nPort, int nSeconds);
