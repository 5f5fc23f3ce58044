// UTF-8 from and to UTF-16 (not part of the program's interface).
#pragma once

#include "platform/win32/types.h"
#include "platform/win32/unit_sink.h"

namespace win32 {

// Each malformed sequence (its longest valid beginning, or one byte) becomes one U+FFFD;
// with strict set, the first one fails the conversion instead.
bool Utf8ToUtf16(const unsigned char* source, int length, bool strict, UnitSink<WCHAR>& sink);
// A lone surrogate becomes U+FFFD; with strict set, it fails the conversion instead.
bool Utf16ToUtf8(const WCHAR* source, int length, bool strict, UnitSink<char>& sink);

}  // namespace win32
