// One record of the container exercise, copied whole into and out of the containers.
// Used by the container exercise only; a plain record with no owner of its own.
#pragma once

#include <cstddef>

#include "win_types.h"

struct EventRecord {
    BYTE abHeader[20];  // neither set nor read by the exercise
    LONG nValue;
};
static_assert(offsetof(EventRecord, nValue) == 20 && sizeof(LONG) == 4);
