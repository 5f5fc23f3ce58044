// The em size of a face (not part of the program's interface).
#pragma once

namespace gdi {

// Em sizes in pixels, horizontally and vertically.
struct FaceSize {
  double emX = 0;
  double emY = 0;
};

}  // namespace gdi
