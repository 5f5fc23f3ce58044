// What the runtime knows of each pixel format: its size in memory, whether it is stored in
// 4 x 4 blocks, and whether it holds depth. Pitches are tight: a row is width times the pixel
// size, or the number of blocks across times the block size.
#pragma once

#include "platform/d3d9/formats.h"

namespace d3d9 {

struct FormatInfo {
  D3DFORMAT format;
  UINT bitsPerPixel;  // 0 for block formats
  UINT blockBytes;    // bytes of one 4 x 4 block; 0 for other formats
  bool depth;
  bool lockable;  // false only for depth formats that cannot be locked
};

// Null for a format the runtime cannot store.
const FormatInfo* FindFormat(D3DFORMAT format);

bool IsBlockFormat(D3DFORMAT format);
bool IsDepthFormat(D3DFORMAT format);
// Bytes from one row (of pixels or of blocks) to the next.
UINT RowPitchOf(D3DFORMAT format, UINT width);
// Rows of memory for `height` pixel rows: rows of blocks for block formats.
UINT MemoryRowsOf(D3DFORMAT format, UINT height);
// Size of one level dimension: halving from `size`, never below 1.
constexpr UINT LevelSize(UINT size, UINT level) {
  const UINT shifted = level >= 32 ? 0 : size >> level;
  return shifted == 0 ? 1 : shifted;
}
// Levels of a full chain down to 1 x 1 (x 1).
UINT FullChainLength(UINT width, UINT height, UINT depth);

}  // namespace d3d9
