// Puts presented frames on the SDL window behind an HWND: the whole window as it really is on
// the display (full screen or not), the frame scaled by the largest whole factor that fits
// (at least 1), centred on black, nearest neighbour.
// Without a window (or a display) it does nothing.
#pragma once

#include <cstdint>

#include "platform/win32/types.h"

namespace d3d9 {

class Presenter {
 public:
  // A full-screen device makes its window cover the desktop.
  Presenter(HWND deviceWindow, bool fullScreen);

  void Show(HWND target, const std::uint32_t* pixels, UINT width, UINT height, UINT pitch);
  HWND Window() const { return window; }

 private:
  HWND window;
};

// The placement of a width x height frame in a target of targetWidth x targetHeight.
struct Placement {
  int scale;
  int x;
  int y;
};
Placement PlaceFrame(int width, int height, int targetWidth, int targetHeight);

}  // namespace d3d9
