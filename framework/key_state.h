// The state of the lock keys, as the display server reports it.
// Used by the frame's key-state panes; user-interface thread only.
#pragma once

#include <functional>

#include "virtual_keys.h"

// For VK_CAPITAL, VK_NUMLOCK and VK_SCROLL: bit 0 set while the lock is on. 0 for other keys,
// and where the display server does not tell (anything but X11).
short GetKeyState(int nVirtKey);

namespace glue {

// Calls `changed` whenever the display server reports that a lock key may have changed, until
// RemoveKeyStateListener with the same owner. Nothing is reported where the server does not tell.
void AddKeyStateListener(const void* owner, std::function<void()> changed);
void RemoveKeyStateListener(const void* owner);

}  // namespace glue
