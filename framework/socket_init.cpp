#include "socket_init.h"

BOOL AfxSocketInit(WSADATA* /*lpwsaData*/) {
    return TRUE;
}
