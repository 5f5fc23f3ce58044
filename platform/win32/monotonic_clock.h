// The real millisecond clock, for time stamps that must not disturb an injected test clock.
#pragma once

#include "platform/win32/types.h"

namespace win32 {

// Milliseconds of a monotonic clock, 32 bits, wrapping.
DWORD MonotonicMilliseconds();

}  // namespace win32
