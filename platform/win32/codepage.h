// Conversions between narrow strings and UTF-16. The ANSI code page (CP_ACP) is Windows-1252.
//
// Both functions follow the usual contract: a source length of -1 means a null-terminated
// source whose terminator is converted too; a destination size of 0 asks for the length
// needed; the result is the number of units written (or needed), 0 on failure with
// GetLastError telling why (ERROR_INSUFFICIENT_BUFFER, ERROR_INVALID_PARAMETER,
// ERROR_NO_UNICODE_TRANSLATION).
// Malformed input (invalid UTF-8, lone surrogates) becomes U+FFFD unless the
// *_ERR_INVALID_CHARS flag asks for failure. Nothing is written beyond destinationSize.
#pragma once

#include "platform/win32/types.h"

constexpr UINT CP_ACP = 0;
constexpr UINT CP_UTF8 = 65001;
// Precomposed characters (the only form there is here; accepted for CP_ACP).
constexpr DWORD MB_PRECOMPOSED = 0x00000001;
// Fail on malformed input instead of substituting.
constexpr DWORD MB_ERR_INVALID_CHARS = 0x00000008;
constexpr DWORD WC_ERR_INVALID_CHARS = 0x00000080;
// No near matches for unmappable characters (there are none anyway; accepted for CP_ACP).
constexpr DWORD WC_NO_BEST_FIT_CHARS = 0x00000400;

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR source, int sourceLength,
                        LPWSTR destination, int destinationSize);
// Unmappable characters become defaultChar (or '?') and set *usedDefaultChar. defaultChar
// and usedDefaultChar apply to CP_ACP only and must be null for CP_UTF8.
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR source, int sourceLength,
                        LPSTR destination, int destinationSize, LPCSTR defaultChar,
                        LPBOOL usedDefaultChar);
