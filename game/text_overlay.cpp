#include "game/text_overlay.h"

#include <cstdio>

#include "game/world.h"
#include "toolkit/font/d3dx_font.h"

namespace {

constexpr D3DCOLOR kDirectionColour = 0xFFFFFFFF;  // opaque white
constexpr D3DCOLOR kCreditColour = 0xFFFF0000;     // opaque red

}  // namespace

void CreateOverlayFonts() {
  D3DXCreateFontA(device, 24, 0, 0, 0, FALSE, 0, 0, 0, 0, "Times New Roman Italic",
                  &directionFont);
  D3DXCreateFontA(device, 18, 0, 0, 0, FALSE, 0, 0, 0, 0, "Arial", &creditFont);
}

// Format 0: each line at its rectangle's top-left corner, unwrapped, clipped to the rectangle.
// A font that could not be made draws nothing.
void DrawOverlayText() {
  char buffer[32];
  const int length = std::snprintf(buffer, sizeof(buffer), "direction: %d ",
                                   objects[kFirstEnemy].facing);
  RECT directionRect = {0, 0, 200, 60};
  if (directionFont != nullptr) {
    directionFont->DrawTextA(nullptr, buffer, length, &directionRect, 0, kDirectionColour);
  }
  RECT creditRect = {30, 30, 100, 90};
  if (creditFont != nullptr) {
    creditFont->DrawTextA(nullptr, "By Vy", 5, &creditRect, 0, kCreditColour);
  }
}
