// Decoder of DirectDraw surface files: flat textures, cube maps and volumes with their mip
// chains, every level of every face borrowed from the block.
//
// The header's pixel-format block is matched against a table of known descriptions; the
// first row that matches names the Direct3D format.

#include <algorithm>
#include <bit>
#include <iterator>

#include "toolkit/image/decoded_image.h"
#include "toolkit/image/decoder_support.h"
#include "toolkit/surface/pixel_format.h"

namespace {

constexpr UINT ddsHeaderEnd = 128;  // magic and the 124-byte header
constexpr UINT paletteBytes = 1024;
constexpr DWORD DDSD_DEPTH = 0x800000;
constexpr DWORD allCubeFaces = 0xFC00;

constexpr DWORD DDPF_ALPHAPIXELS = 0x1;
constexpr DWORD DDPF_FOURCC = 0x4;
// Which fields of the pixel-format block a row's flags make significant.
constexpr DWORD bitCountFlags = 0xC4462;
constexpr DWORD redMaskFlags = 0xE4040;
constexpr DWORD greenMaskFlags = 0xC4440;
constexpr DWORD blueMaskFlags = 0xC4040;
constexpr DWORD alphaMaskFlags = 0x80003;

struct DdsPixelFormat {
  DWORD flags;
  DWORD fourCc;
  DWORD bitCount;
  DWORD red, green, blue, alpha;
};

struct DdsFormatRow {
  D3DFORMAT format;
  DdsPixelFormat description;
};

constexpr DWORD FourCc(D3DFORMAT format) { return static_cast<DWORD>(format); }

// Searched in this order; the first match wins.
constexpr DdsFormatRow ddsFormats[] = {
    {D3DFMT_R8G8B8, {0x40, 0, 24, 0xFF0000, 0xFF00, 0xFF, 0}},
    {D3DFMT_A8R8G8B8, {0x41, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000}},
    {D3DFMT_X8R8G8B8, {0x40, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0}},
    {D3DFMT_R5G6B5, {0x40, 0, 16, 0xF800, 0x7E0, 0x1F, 0}},
    {D3DFMT_X1R5G5B5, {0x40, 0, 16, 0x7C00, 0x3E0, 0x1F, 0}},
    {D3DFMT_A1R5G5B5, {0x41, 0, 16, 0x7C00, 0x3E0, 0x1F, 0x8000}},
    {D3DFMT_A4R4G4B4, {0x41, 0, 16, 0xF00, 0xF0, 0xF, 0xF000}},
    {D3DFMT_R3G3B2, {0x40, 0, 8, 0xE0, 0x1C, 0x3, 0}},
    {D3DFMT_A8, {0x2, 0, 8, 0, 0, 0, 0xFF}},
    {D3DFMT_A8R3G3B2, {0x41, 0, 16, 0xE0, 0x1C, 0x3, 0xFF00}},
    {D3DFMT_X4R4G4B4, {0x40, 0, 16, 0xF00, 0xF0, 0xF, 0}},
    {D3DFMT_A2B10G10R10, {0x41, 0, 32, 0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000}},
    {D3DFMT_A8B8G8R8, {0x41, 0, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000}},
    {D3DFMT_X8B8G8R8, {0x40, 0, 32, 0xFF, 0xFF00, 0xFF0000, 0}},
    {D3DFMT_G16R16, {0x40, 0, 32, 0xFFFF, 0xFFFF0000, 0, 0}},
    {D3DFMT_A2R10G10B10, {0x41, 0, 32, 0x3FF, 0xFFC00, 0x3FF00000, 0xC0000000}},
    {D3DFMT_A8P8, {0x21, 0, 16, 0, 0, 0, 0xFF00}},
    {D3DFMT_P8, {0x20, 0, 8, 0, 0, 0, 0}},
    {D3DFMT_L8, {0x20000, 0, 8, 0xFF, 0, 0, 0}},
    {D3DFMT_A8L8, {0x20001, 0, 16, 0xFF, 0, 0, 0xFF00}},
    {D3DFMT_A4L4, {0x20001, 0, 8, 0xF, 0, 0, 0xF0}},
    {D3DFMT_L16, {0x20000, 0, 16, 0xFFFF, 0, 0, 0}},
    {D3DFMT_V8U8, {0x80000, 0, 16, 0xFF, 0xFF00, 0, 0}},
    {D3DFMT_L6V5U5, {0x40000, 0, 16, 0x1F, 0x3E0, 0xFC00, 0}},
    {D3DFMT_X8L8V8U8, {0x40000, 0, 32, 0xFF, 0xFF00, 0xFF0000, 0}},
    {D3DFMT_Q8W8V8U8, {0x80000, 0, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000}},
    {D3DFMT_V16U16, {0x80000, 0, 32, 0xFFFF, 0xFFFF0000, 0, 0}},
    {D3DFMT_A2W10V10U10, {0x80001, 0, 32, 0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000}},
    {D3DFMT_UYVY, {DDPF_FOURCC, FourCc(D3DFMT_UYVY), 0, 0, 0, 0, 0}},
    {D3DFMT_R8G8_B8G8, {DDPF_FOURCC, FourCc(D3DFMT_R8G8_B8G8), 0, 0, 0, 0, 0}},
    {D3DFMT_YUY2, {DDPF_FOURCC, FourCc(D3DFMT_YUY2), 0, 0, 0, 0, 0}},
    {D3DFMT_G8R8_G8B8, {DDPF_FOURCC, FourCc(D3DFMT_G8R8_G8B8), 0, 0, 0, 0, 0}},
    {D3DFMT_DXT1, {DDPF_FOURCC, FourCc(D3DFMT_DXT1), 0, 0, 0, 0, 0}},
    {D3DFMT_DXT2, {DDPF_FOURCC, FourCc(D3DFMT_DXT2), 0, 0, 0, 0, 0}},
    {D3DFMT_DXT3, {DDPF_FOURCC, FourCc(D3DFMT_DXT3), 0, 0, 0, 0, 0}},
    {D3DFMT_DXT4, {DDPF_FOURCC, FourCc(D3DFMT_DXT4), 0, 0, 0, 0, 0}},
    {D3DFMT_DXT5, {DDPF_FOURCC, FourCc(D3DFMT_DXT5), 0, 0, 0, 0, 0}},
    {D3DFMT_D16_LOCKABLE, {0x400, 0, 16, 0, 0xFFFF, 0, 0}},
    {D3DFMT_D32F_LOCKABLE, {DDPF_FOURCC, FourCc(D3DFMT_D32F_LOCKABLE), 0, 0, 0, 0, 0}},
    {D3DFMT_A16B16G16R16, {DDPF_FOURCC, FourCc(D3DFMT_A16B16G16R16), 0, 0, 0, 0, 0}},
    {D3DFMT_Q16W16V16U16, {DDPF_FOURCC, FourCc(D3DFMT_Q16W16V16U16), 0, 0, 0, 0, 0}},
    {D3DFMT_R16F, {DDPF_FOURCC, FourCc(D3DFMT_R16F), 0, 0, 0, 0, 0}},
    {D3DFMT_G16R16F, {DDPF_FOURCC, FourCc(D3DFMT_G16R16F), 0, 0, 0, 0, 0}},
    {D3DFMT_A16B16G16R16F, {DDPF_FOURCC, FourCc(D3DFMT_A16B16G16R16F), 0, 0, 0, 0, 0}},
    {D3DFMT_R32F, {DDPF_FOURCC, FourCc(D3DFMT_R32F), 0, 0, 0, 0, 0}},
    {D3DFMT_G32R32F, {DDPF_FOURCC, FourCc(D3DFMT_G32R32F), 0, 0, 0, 0, 0}},
    {D3DFMT_A32B32G32R32F, {DDPF_FOURCC, FourCc(D3DFMT_A32B32G32R32F), 0, 0, 0, 0, 0}},
    {D3DFMT_CxV8U8, {DDPF_FOURCC, FourCc(D3DFMT_CxV8U8), 0, 0, 0, 0, 0}},
};

static_assert(std::size(ddsFormats) == 48);

bool FieldMatches(DWORD flags, DWORD significant, DWORD expected, DWORD actual) {
  return (flags & significant) == 0 || expected == actual;
}

bool RowMatches(const DdsPixelFormat& row, const DdsPixelFormat& file) {
  if (row.flags != file.flags) return false;
  DWORD flags = row.flags;
  return FieldMatches(flags, DDPF_FOURCC, row.fourCc, file.fourCc) &&
         FieldMatches(flags, bitCountFlags, row.bitCount, file.bitCount) &&
         FieldMatches(flags, redMaskFlags, row.red, file.red) &&
         FieldMatches(flags, greenMaskFlags, row.green, file.green) &&
         FieldMatches(flags, blueMaskFlags, row.blue, file.blue) &&
         FieldMatches(flags, alphaMaskFlags, row.alpha, file.alpha);
}

D3DFORMAT MatchPixelFormat(const BYTE* block) {
  if (ReadLe32(block) != 32) return D3DFMT_UNKNOWN;
  DdsPixelFormat file{ReadLe32(block + 4),  ReadLe32(block + 8),  ReadLe32(block + 12),
                      ReadLe32(block + 16), ReadLe32(block + 20), ReadLe32(block + 24),
                      ReadLe32(block + 28)};
  // A four-character code says everything; other flags beside it are ignored.
  if ((file.flags & DDPF_FOURCC) != 0) file.flags = DDPF_FOURCC;
  for (const DdsFormatRow& row : ddsFormats) {
    if (RowMatches(row.description, file)) return row.format;
  }
  return D3DFMT_UNKNOWN;
}

struct DdsLayout {
  D3DFORMAT format;
  UINT width;
  UINT height;
  UINT depth;
  UINT levels;
  UINT faces;
  D3DRESOURCETYPE resourceType;
};

struct LevelSize {
  UINT rowPitch;
  UINT slicePitch;
  std::uint64_t bytes;
};

bool MeasureLevel(D3DFORMAT format, UINT width, UINT height, UINT depth, LevelSize& size) {
  std::uint64_t rowPitch = 0;
  std::uint64_t rows = height;
  if (IsDxtFormat(format)) {
    rowPitch = (static_cast<std::uint64_t>(width) + 3) / 4 * DxtBlockBytes(format);
    rows = (static_cast<std::uint64_t>(height) + 3) / 4;
  } else if (IsPackedPairFormat(format)) {
    rowPitch = (static_cast<std::uint64_t>(width) + 1) / 2 * 4;
  } else {
    rowPitch = static_cast<std::uint64_t>(width) * GetPixelFormatInfo(format).bitsPerPixel / 8;
  }
  std::uint64_t slicePitch = rowPitch * rows;
  if (slicePitch > UINT32_MAX) return false;
  size = LevelSize{static_cast<UINT>(rowPitch), static_cast<UINT>(slicePitch),
                   slicePitch * depth};
  return true;
}

UINT Halve(UINT size) { return size > 1 ? size / 2 : 1; }

// One record per level and face, chained as the file stores them (faces one after the
// other, each with all its levels). The head is face 0, level 0.
HRESULT ChainLevels(DecodedImage& head, const DdsLayout& layout, const BYTE* bytes, UINT size,
                    UINT offset) {
  DecodedImage* faceHead = &head;
  for (UINT face = 0; face < layout.faces; ++face) {
    if (face > 0) {
      faceHead->nextFace = DecodedImage::NewChained();
      if (faceHead->nextFace == nullptr) return E_OUTOFMEMORY;
      faceHead = faceHead->nextFace;
    }
    DecodedImage* level = faceHead;
    UINT width = layout.width;
    UINT height = layout.height;
    UINT depth = layout.depth;
    for (UINT index = 0; index < layout.levels; ++index) {
      LevelSize levelSize{};
      if (!MeasureLevel(layout.format, width, height, depth, levelSize)) return E_FAIL;
      if (!FitsInBlock(size, offset, levelSize.bytes)) return E_FAIL;
      if (index > 0) {
        level->nextLevel = DecodedImage::NewChained();
        if (level->nextLevel == nullptr) return E_OUTOFMEMORY;
        level = level->nextLevel;
      }
      level->format = layout.format;
      level->pixels = const_cast<BYTE*>(bytes + offset);
      level->ownsPixels = FALSE;
      level->palette = head.palette;
      level->ownsPalette = FALSE;
      level->width = width;
      level->height = height;
      level->depth = depth;
      level->rowPitch = levelSize.rowPitch;
      level->slicePitch = levelSize.slicePitch;
      level->resourceType = layout.resourceType;
      level->fileFormat = D3DXIFF_DDS;
      level->loadPixels = head.loadPixels;
      offset += static_cast<UINT>(levelSize.bytes);
      width = Halve(width);
      height = Halve(height);
      depth = Halve(depth);
    }
  }
  return S_OK;
}

bool ReadLayout(const BYTE* bytes, DdsLayout& layout) {
  const BYTE* header = bytes + 4;
  DWORD flags = ReadLe32(header + 4);
  layout.height = ReadLe32(header + 8);
  layout.width = ReadLe32(header + 12);
  layout.depth = (flags & DDSD_DEPTH) != 0 ? ReadLe32(header + 20) : 1;
  if (layout.depth == 0) layout.depth = 1;
  layout.levels = ReadLe32(header + 24);
  if (layout.levels == 0) layout.levels = 1;
  if (layout.width == 0 || layout.height == 0) return false;
  // Each level halves the largest side until it is 1: a 2^k side gives k + 1 levels. More is
  // no picture, and would make one record per declared level.
  UINT largestSide = std::max({layout.width, layout.height, layout.depth});
  if (layout.levels > static_cast<UINT>(std::bit_width(largestSide))) return false;

  DWORD cubeFaces = ReadLe32(header + 108) & allCubeFaces;
  if (cubeFaces != 0 && cubeFaces != allCubeFaces) return false;
  layout.faces = cubeFaces == allCubeFaces ? 6 : 1;
  layout.resourceType = (flags & DDSD_DEPTH) != 0 ? D3DRTYPE_VOLUMETEXTURE
                        : layout.faces == 6       ? D3DRTYPE_CUBETEXTURE
                                                  : D3DRTYPE_TEXTURE;
  layout.format = MatchPixelFormat(header + 72);
  return layout.format != D3DFMT_UNKNOWN;
}

}  // namespace

HRESULT DecodedImage::DecodeDds(const BYTE* bytes, UINT size) {
  if (size < ddsHeaderEnd) return E_FAIL;
  if (bytes[0] != 'D' || bytes[1] != 'D' || bytes[2] != 'S' || bytes[3] != ' ') return E_FAIL;
  DdsLayout layout{};
  if (!ReadLayout(bytes, layout)) return E_FAIL;
  resourceType = layout.resourceType;

  UINT offset = ddsHeaderEnd;
  if (layout.format == D3DFMT_P8 || layout.format == D3DFMT_A8P8) {
    if (!FitsInBlock(size, offset, paletteBytes)) return E_FAIL;
    palette = reinterpret_cast<PALETTEENTRY*>(const_cast<BYTE*>(bytes + offset));
    ownsPalette = FALSE;
    offset += paletteBytes;
  }
  return ChainLevels(*this, layout, bytes, size, offset);
}
