// Windows-1252, the ANSI code page (not part of the program's interface).
#pragma once

#include "platform/win32/types.h"

namespace win32 {

WCHAR Windows1252ToUnit(unsigned char byte);
// False when the code page has no byte for the unit.
bool UnitToWindows1252(WCHAR unit, unsigned char* byte);

}  // namespace win32
