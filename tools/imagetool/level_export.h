// Texture levels written out as 8-bit RGBA PNG files, whatever the texture's format: each
// row is decoded by the toolkit's row converter for that format and clamped to 0 ... 255.
#pragma once

#include <string>

#include "platform/d3d9/d3d9.h"

// Writes `level` of `texture` to `path`. S_OK; the lock's or the converter's failure
// (E_NOTIMPL for a format without one); E_FAIL when the file cannot be written.
HRESULT WriteLevelAsPng(IDirect3DTexture9* texture, UINT level, const std::string& path);
