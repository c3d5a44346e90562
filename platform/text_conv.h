// UTF-16 to narrow text, as WideCharToMultiByte; the narrow code page here is UTF-8.
// Used by readers of platform records that carry UTF-16 names.
#pragma once

#include "win_types.h"

// Converts lpWideCharStr (cchWideChar units, or up to and including its NUL when -1) into
// lpMultiByteStr. Returns the bytes written, or, when cbMultiByte is 0, the bytes needed.
// Returns 0 and sets ERROR_INSUFFICIENT_BUFFER when the output does not fit; the output
// then holds no complete text. Unpaired surrogates become U+FFFD. CP_ACP means UTF-8.
[[nodiscard]] int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr,
                                      int cchWideChar, LPSTR lpMultiByteStr, int cbMultiByte,
                                      LPCSTR lpDefaultChar, BOOL* lpUsedDefaultChar);
