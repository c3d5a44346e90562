// The tests' one wait: the event loop runs while it waits, and every wait has a deadline.
#pragma once

#include <functional>

// Processes events until done() holds or deadlineMs pass; returns done().
bool WaitUntil(const std::function<bool()>& done, int deadlineMs = 5000);
