// The published description of an image file: what D3DXGetImageInfoFromFile* report and what
// the texture loaders fill in for their callers. It describes the file, not any texture made
// from it.
#pragma once

#include "platform/d3d9/d3d9.h"
#include "platform/win32/types.h"

enum D3DXIMAGE_FILEFORMAT : DWORD {
  D3DXIFF_BMP = 0,
  D3DXIFF_JPG = 1,
  D3DXIFF_TGA = 2,
  D3DXIFF_PNG = 3,
  D3DXIFF_DDS = 4,
  D3DXIFF_PPM = 5,
  D3DXIFF_DIB = 6,
  D3DXIFF_HDR = 7,
  D3DXIFF_PFM = 8,
  D3DXIFF_FORCE_DWORD = 0x7FFFFFFF,
};

struct D3DXIMAGE_INFO {
  UINT Width;
  UINT Height;
  UINT Depth;
  // 1 + the further mip levels stored in the file.
  UINT MipLevels;
  D3DFORMAT Format;
  D3DRESOURCETYPE ResourceType;
  D3DXIMAGE_FILEFORMAT ImageFileFormat;
};

static_assert(sizeof(D3DXIMAGE_INFO) == 28);
