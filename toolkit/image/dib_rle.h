// Expansion of run-length coded bitmap pixels (BI_RLE8 and BI_RLE4) into one palette index
// per byte.
#pragma once

#include "platform/win32/types.h"

struct RleTarget {
  BYTE* pixels;  // zero-filled; pixels never reached keep index 0
  UINT rowPitch;
  UINT width;
  UINT height;
  bool topDown;  // the first coded row is the top one (else the bottom one)
};

// Codes are pairs: a count above 0 repeats the next byte (RLE4: its two nibbles by turns);
// count 0 escapes: 0 ends the line, 1 ends the bitmap, 2 moves right and on by the next two
// bytes, 3 and more are literal indices padded to a 16-bit boundary. The data may also end
// where a pair would start. S_OK; E_FAIL when a run or move would leave the image or a code
// is cut off by the end of the block.
HRESULT ExpandBitmapRle(const BYTE* data, UINT size, bool fourBit, const RleTarget& target);
