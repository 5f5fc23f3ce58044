// DecodedImage: one decoded image, that is one mip level of one face, as every decoder fills
// it and as the texture loader and the surface loader read it.
//
// Glossary
//   head    the record the caller holds by value: level 0 of face 0.
//   level   `nextLevel` chains the next smaller mip levels of one face.
//   face    `nextFace` chains the first levels of cube faces 1 to 5 (only from a first level).
//   borrow  pixels that point into the caller's block of file bytes (`ownsPixels` false);
//           they are valid only as long as that block is.
//
// Ownership: records other than the head are allocated one by one by the decoder and owned by
// the record that points to them. Destroying a record frees its owned pixels and palette and
// then every record on its level and face chains, in a loop (chains may be long).
//
// A decoder is a member operation (bytes, size) -> HRESULT. It reads `loadPixels`, fills the
// record (and chains further records for more levels or faces), and returns E_FAIL when the
// bytes are not its format (E_OUTOFMEMORY when an allocation is refused). What it leaves
// behind on failure is freed by the recognition loop. A decoder never reads outside the block.
//
// The pseudo formats FMT_A16L16 and FMT_R16G16B16 (16-bit PNG samples) come from the
// pixel-format table; NormalizeFormat names the Direct3D format a caller is told instead.
#pragma once

#include "platform/d3d9/d3d9.h"
#include "platform/win32/types.h"
#include "toolkit/image/image_info.h"
#include "toolkit/surface/pixel_format.h"

// FMT_A16L16 -> D3DFMT_A8L8, FMT_R16G16B16 -> D3DFMT_R8G8B8; every other value unchanged.
constexpr D3DFORMAT NormalizeFormat(D3DFORMAT format) {
  if (format == FMT_A16L16) return D3DFMT_A8L8;
  if (format == FMT_R16G16B16) return D3DFMT_R8G8B8;
  return format;
}

struct DecodedImage {
  // Pixel format of `pixels`: a Direct3D 9 format or a pseudo format; D3DFMT_UNKNOWN when empty.
  D3DFORMAT format = D3DFMT_UNKNOWN;
  // Top-left pixel; rows run downwards.
  BYTE* pixels = nullptr;
  // 256 entries (red, green, blue, alpha) of a palettised image, or null.
  PALETTEENTRY* palette = nullptr;
  UINT width = 0;
  UINT height = 0;
  // 1 for flat images.
  UINT depth = 0;
  // The part of the image to load: its first four fields form a RECT, all six a D3DBOX.
  D3DBOX sourceBox = {};
  UINT rowPitch = 0;
  // 0 for flat images that need none.
  UINT slicePitch = 0;
  BOOL ownsPixels = FALSE;
  BOOL ownsPalette = FALSE;
  // Input to the decoder: FALSE reads the header only.
  BOOL loadPixels = FALSE;
  D3DRESOURCETYPE resourceType = D3DRTYPE_TEXTURE;
  D3DXIMAGE_FILEFORMAT fileFormat = D3DXIFF_BMP;
  DecodedImage* nextLevel = nullptr;
  DecodedImage* nextFace = nullptr;

  DecodedImage() = default;
  ~DecodedImage() { Empty(); }
  DecodedImage(const DecodedImage&) = delete;
  DecodedImage& operator=(const DecodedImage&) = delete;

  // The recognition loop, on an empty head record: tries the nine decoders in their fixed
  // order and keeps the first that accepts the bytes. `info` (may be null) then describes the
  // head. S_OK; D3DERR_INVALIDCALL for null bytes or size 0; D3DXERR_INVALIDDATA when every
  // decoder refuses (the info record is then untouched). With no info wanted and
  // `wantPixels` false it returns S_OK without looking at the bytes.
  HRESULT LoadFromMemory(const void* bytes, UINT size, D3DXIMAGE_INFO* info, bool wantPixels);

  // Frees owned pixels and palette and the level and face chains, and clears the pointers and
  // ownership flags; the other fields keep their values.
  void Empty();

  // A further record for the level or face chains, owned by whoever links it; null when the
  // allocation is refused. Free with DestroyChained.
  static DecodedImage* NewChained();
  static void DestroyChained(DecodedImage* image);

  // 1 + the records on the `nextLevel` chain; 1 + those on the `nextFace` chain.
  UINT LevelCount() const;
  UINT FaceCount() const;

  // The first four fields of sourceBox.
  RECT SourceRect() const;

  // The decoders, in recognition order.
  HRESULT DecodeBmp(const BYTE* bytes, UINT size);
  HRESULT DecodePpm(const BYTE* bytes, UINT size);
  HRESULT DecodeDds(const BYTE* bytes, UINT size);
  HRESULT DecodeJpeg(const BYTE* bytes, UINT size);
  HRESULT DecodePng(const BYTE* bytes, UINT size);
  HRESULT DecodePfm(const BYTE* bytes, UINT size);
  HRESULT DecodeHdr(const BYTE* bytes, UINT size);
  HRESULT DecodeTga(const BYTE* bytes, UINT size);
  HRESULT DecodeDib(const BYTE* bytes, UINT size);

 private:
  void SetWholeSourceBoxes();
};

// D3DXIMAGE_INFO of a decode result's head.
D3DXIMAGE_INFO DescribeImage(const DecodedImage& head);
