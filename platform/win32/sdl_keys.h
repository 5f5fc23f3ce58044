// The keys that have virtual-key codes: SDL scancode, virtual key, and the PC keyboard's
// scan code that Windows reports in key messages (not part of the program's interface).
// Both Enter keys, and the left and right Shift, Control and Alt, share a virtual key.
#pragma once

#include <SDL.h>

#include "platform/win32/types.h"

namespace win32 {

struct KeyInfo {
  SDL_Scancode scancode;
  int virtualKey;
  BYTE pcScanCode;
  bool extended;  // the key of a pair that Windows flags as extended (arrows, right Control)
};

// Null for keys without a virtual-key code.
const KeyInfo* KeyOfScancode(SDL_Scancode scancode);
// The main key of a virtual key (the left one of a pair); null for an unknown code.
const KeyInfo* KeyOfVirtualKey(int virtualKey);
// Whether any key with this virtual key is down in SDL's keyboard state.
bool IsVirtualKeyDown(int virtualKey, const Uint8* state, int stateSize);
// The character a key types (letters in lower case), 0 for none.
int CharacterOfVirtualKey(int virtualKey);
// The lParam of WM_KEYDOWN and WM_KEYUP: repeat count 1, scan code in bits 16-23, extended
// key in bit 24, previous state in bit 30 (down before), transition in bit 31 (going up).
LPARAM KeyMessageLParam(const KeyInfo& key, bool repeat, bool up);

}  // namespace win32
