#include "platform/win32/sdl_keys.h"

#include <array>

#include "platform/win32/window.h"

namespace win32 {
namespace {

constexpr int kVkInsert = 0x2D;
constexpr int kVkDelete = 0x2E;
constexpr int kVkHome = 0x24;
constexpr int kVkEnd = 0x23;
constexpr int kVkPageUp = 0x21;
constexpr int kVkPageDown = 0x22;

// PC scan codes of the letter keys A to Z.
constexpr std::array<BYTE, 26> kLetterScanCodes = {
    0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
    0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};

constexpr KeyInfo kNamedKeys[] = {
    {SDL_SCANCODE_RETURN, VK_RETURN, 0x1C, false},
    {SDL_SCANCODE_KP_ENTER, VK_RETURN, 0x1C, true},
    {SDL_SCANCODE_ESCAPE, VK_ESCAPE, 0x01, false},
    {SDL_SCANCODE_BACKSPACE, VK_BACK, 0x0E, false},
    {SDL_SCANCODE_TAB, VK_TAB, 0x0F, false},
    {SDL_SCANCODE_SPACE, VK_SPACE, 0x39, false},
    {SDL_SCANCODE_LEFT, VK_LEFT, 0x4B, true},
    {SDL_SCANCODE_UP, VK_UP, 0x48, true},
    {SDL_SCANCODE_RIGHT, VK_RIGHT, 0x4D, true},
    {SDL_SCANCODE_DOWN, VK_DOWN, 0x50, true},
    {SDL_SCANCODE_INSERT, kVkInsert, 0x52, true},
    {SDL_SCANCODE_DELETE, kVkDelete, 0x53, true},
    {SDL_SCANCODE_HOME, kVkHome, 0x47, true},
    {SDL_SCANCODE_END, kVkEnd, 0x4F, true},
    {SDL_SCANCODE_PAGEUP, kVkPageUp, 0x49, true},
    {SDL_SCANCODE_PAGEDOWN, kVkPageDown, 0x51, true},
    {SDL_SCANCODE_LSHIFT, VK_SHIFT, 0x2A, false},
    {SDL_SCANCODE_RSHIFT, VK_SHIFT, 0x36, false},
    {SDL_SCANCODE_LCTRL, VK_CONTROL, 0x1D, false},
    {SDL_SCANCODE_RCTRL, VK_CONTROL, 0x1D, true},
    {SDL_SCANCODE_LALT, VK_MENU, 0x38, false},
    {SDL_SCANCODE_RALT, VK_MENU, 0x38, true},
};

constexpr int kKeyCount = 26 + 10 + 12 + static_cast<int>(std::size(kNamedKeys));

// SDL numbers 1 to 9 and then 0; so do PC scan codes (0x02 to 0x0B).
constexpr KeyInfo DigitKey(int index) {
  const int digit = (index + 1) % 10;
  return {static_cast<SDL_Scancode>(SDL_SCANCODE_1 + index), '0' + digit,
          static_cast<BYTE>(0x02 + index), false};
}

constexpr BYTE FunctionKeyScanCode(int index) {
  return static_cast<BYTE>(index < 10 ? 0x3B + index : 0x57 + (index - 10));
}

constexpr std::array<KeyInfo, kKeyCount> MakeKeyTable() {
  std::array<KeyInfo, kKeyCount> keys{};
  int n = 0;
  for (int i = 0; i < 26; ++i) {
    keys[n++] = {static_cast<SDL_Scancode>(SDL_SCANCODE_A + i), 'A' + i, kLetterScanCodes[i],
                 false};
  }
  for (int i = 0; i < 10; ++i) keys[n++] = DigitKey(i);
  for (int i = 0; i < 12; ++i) {
    keys[n++] = {static_cast<SDL_Scancode>(SDL_SCANCODE_F1 + i), VK_F1 + i,
                 FunctionKeyScanCode(i), false};
  }
  for (const KeyInfo& key : kNamedKeys) keys[n++] = key;
  return keys;
}

constexpr std::array<KeyInfo, kKeyCount> kKeys = MakeKeyTable();

}  // namespace

const KeyInfo* KeyOfScancode(SDL_Scancode scancode) {
  for (const KeyInfo& key : kKeys) {
    if (key.scancode == scancode) return &key;
  }
  return nullptr;
}

const KeyInfo* KeyOfVirtualKey(int virtualKey) {
  for (const KeyInfo& key : kKeys) {
    if (key.virtualKey == virtualKey) return &key;
  }
  return nullptr;
}

bool IsVirtualKeyDown(int virtualKey, const Uint8* state, int stateSize) {
  for (const KeyInfo& key : kKeys) {
    if (key.virtualKey == virtualKey && key.scancode < stateSize && state[key.scancode] != 0) {
      return true;
    }
  }
  return false;
}

int CharacterOfVirtualKey(int virtualKey) {
  if (virtualKey >= 'A' && virtualKey <= 'Z') return virtualKey - 'A' + 'a';
  if (virtualKey >= '0' && virtualKey <= '9') return virtualKey;
  switch (virtualKey) {
    case VK_RETURN:
      return '\r';
    case VK_ESCAPE:
      return 0x1B;
    case VK_SPACE:
      return ' ';
    case VK_BACK:
      return 0x08;
    case VK_TAB:
      return '\t';
    default:
      return 0;
  }
}

LPARAM KeyMessageLParam(const KeyInfo& key, bool repeat, bool up) {
  ULONG_PTR bits = 1;
  bits |= static_cast<ULONG_PTR>(key.pcScanCode) << 16;
  if (key.extended) bits |= 1u << 24;
  if (repeat || up) bits |= 1u << 30;
  if (up) bits |= 1u << 31;
  // Key messages carry the 32-bit value as Windows does; on LP64 it is not sign-extended.
  return static_cast<LPARAM>(bits);
}

}  // namespace win32
