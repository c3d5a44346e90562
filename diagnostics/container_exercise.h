// The list and vector exercise behind "Test list or vector": each container filled with the
// records 1 to 10, walked while its even records are removed, reported, and emptied.
// User-interface thread; keeps nothing between runs.
#pragma once

#include <functional>

// Runs the exercise. Every diagnostic line goes into one 260-character buffer, each replacing
// the one before; onLine, when given, sees the buffer after each line is formatted.
void ListVectorExercise(const std::function<void(const char* szLine)>& onLine = {});
