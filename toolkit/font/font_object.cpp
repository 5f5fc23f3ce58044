// Creation from a description, the small interface operations, device loss and destruction.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <new>

#include "platform/win32/codepage.h"
#include "toolkit/common/allocation.h"
#include "toolkit/common/result.h"
#include "toolkit/common/safe_release.h"
#include "toolkit/font/cached_font.h"
#include "toolkit/font/character_placement.h"
#include "toolkit/font/text_services.h"
#include "toolkit/image/d3dx_image.h"

namespace {

template <typename Desc, typename Char>
void FillDesc(Desc& desc, INT height, UINT width, UINT weight, UINT mipLevels, BOOL italic,
              DWORD charSet, DWORD outputPrecision, DWORD quality, DWORD pitchAndFamily,
              const Char* faceName) {
  std::memset(&desc, 0, sizeof(desc));
  desc.Height = height;
  desc.Width = width;
  desc.Weight = weight;
  desc.MipLevels = mipLevels;
  desc.Italic = italic;
  desc.CharSet = static_cast<BYTE>(charSet);
  desc.OutputPrecision = static_cast<BYTE>(outputPrecision);
  desc.Quality = static_cast<BYTE>(quality);
  desc.PitchAndFamily = static_cast<BYTE>(pitchAndFamily);
  if (faceName == nullptr) return;
  for (int i = 0; i < LF_FACESIZE && faceName[i] != 0; ++i) desc.FaceName[i] = faceName[i];
  desc.FaceName[LF_FACESIZE - 1] = 0;
}

// The LOGFONT of a description; an unset quality asks for grey-level anti-aliasing.
template <typename LogFont, typename Desc>
LogFont LogFontOf(const Desc& desc) {
  LogFont logFont;
  std::memset(&logFont, 0, sizeof(logFont));
  logFont.lfHeight = desc.Height;
  logFont.lfWidth = static_cast<LONG>(desc.Width);
  logFont.lfWeight = static_cast<LONG>(desc.Weight);
  logFont.lfItalic = static_cast<BYTE>(desc.Italic);
  logFont.lfCharSet = desc.CharSet;
  logFont.lfOutPrecision = desc.OutputPrecision;
  logFont.lfQuality = desc.Quality;
  logFont.lfPitchAndFamily = desc.PitchAndFamily;
  std::memcpy(logFont.lfFaceName, desc.FaceName, sizeof(logFont.lfFaceName));
  if ((logFont.lfQuality & 7) == 0) logFont.lfQuality |= ANTIALIASED_QUALITY;
  return logFont;
}

template <typename Desc, typename LogFont>
void DescFromLogFont(Desc& desc, const LogFont& logFont, UINT mipLevels) {
  desc.Height = logFont.lfHeight;
  desc.Width = static_cast<UINT>(logFont.lfWidth);
  desc.Weight = static_cast<UINT>(logFont.lfWeight);
  desc.MipLevels = mipLevels;
  desc.Italic = logFont.lfItalic;
  desc.CharSet = logFont.lfCharSet;
  desc.OutputPrecision = logFont.lfOutPrecision;
  desc.Quality = logFont.lfQuality;
  desc.PitchAndFamily = logFont.lfPitchAndFamily;
}

// Doubles a cell edge (counting its mip levels) until it reaches `limit`.
void GrowCell(UINT& size, UINT& levels, LONG limit) {
  while (static_cast<LONG>(size) < limit) {
    size *= 2;
    ++levels;
  }
}

}  // namespace

HRESULT D3DXCreateFontA(IDirect3DDevice9* device, INT height, UINT width, UINT weight,
                        UINT mipLevels, BOOL italic, DWORD charSet, DWORD outputPrecision,
                        DWORD quality, DWORD pitchAndFamily, LPCSTR faceName, ID3DXFont** font) {
  D3DXFONT_DESCA desc;
  FillDesc(desc, height, width, weight, mipLevels, italic, charSet, outputPrecision, quality,
           pitchAndFamily, faceName);
  return D3DXCreateFontIndirectA(device, &desc, font);
}

HRESULT D3DXCreateFontW(IDirect3DDevice9* device, INT height, UINT width, UINT weight,
                        UINT mipLevels, BOOL italic, DWORD charSet, DWORD outputPrecision,
                        DWORD quality, DWORD pitchAndFamily, LPCWSTR faceName, ID3DXFont** font) {
  D3DXFONT_DESCW desc;
  FillDesc(desc, height, width, weight, mipLevels, italic, charSet, outputPrecision, quality,
           pitchAndFamily, faceName);
  return D3DXCreateFontIndirectW(device, &desc, font);
}

HRESULT D3DXCreateFontIndirectA(IDirect3DDevice9* device, const D3DXFONT_DESCA* desc,
                                ID3DXFont** font) {
  return CachedFont::Create(device, desc, false, font);
}

HRESULT D3DXCreateFontIndirectW(IDirect3DDevice9* device, const D3DXFONT_DESCW* desc,
                                ID3DXFont** font) {
  return CachedFont::Create(device, desc, true, font);
}

HRESULT CachedFont::Create(IDirect3DDevice9* device, const void* desc, bool wide,
                           ID3DXFont** out) {
  if (out == nullptr) return D3DERR_INVALIDCALL;
  void* memory = AllocateBytes(sizeof(CachedFont));
  if (memory == nullptr) return E_OUTOFMEMORY;
  CachedFont* font = new (memory) CachedFont;
  const HRESULT result = font->Initialise(device, desc, wide);
  if (FAILED(result)) {
    font->Release();
    return result;
  }
  *out = font;
  return S_OK;
}

HRESULT CachedFont::Initialise(IDirect3DDevice9* owner, const void* desc, bool wide) {
  if (owner == nullptr || desc == nullptr) return D3DERR_INVALIDCALL;
  device = owner;
  device->AddRef();
  HRESULT result = ProbeTextServices();
  if (FAILED(result)) return result;
  dc = CreateCompatibleDC(nullptr);
  if (dc == nullptr) return E_OUTOFMEMORY;
  SetMapMode(dc, MM_TEXT);
  if (!SharedTextServices().unicodeGdi) SetTextAlign(dc, TA_UPDATECP);
  result = CreateGdiFont(desc, wide);
  if (FAILED(result)) return result;
  ReadMetrics();
  result = CreateDrawingSurface();
  if (FAILED(result)) return result;
  ChooseCellGeometry();
  result = CheckCellTextures();
  if (FAILED(result)) return result;
  runPool = smallPool;
  // Sized for the largest cell, which a font with an odd average width may find in the small
  // pool.
  if (std::max(smallPool.levels, largePool.levels) > 1) {
    const UINT area = std::max(smallPool.cellArea, largePool.cellArea);
    mipScratch = static_cast<float*>(AllocateBytes(sizeof(float) * 2 * area));
    if (mipScratch == nullptr) return E_OUTOFMEMORY;
  }
  return FindSpecialGlyphs();
}

// The GDI font, selected into the DC. A wide description on a GDI without UTF-16 text is
// narrowed first.
HRESULT CachedFont::CreateGdiFont(const void* desc, bool wide) {
  D3DXFONT_DESCA narrowed;
  if (wide && !SharedTextServices().unicodeGdi) {
    const auto& wideDesc = *static_cast<const D3DXFONT_DESCW*>(desc);
    std::memcpy(&narrowed, &wideDesc, offsetof(D3DXFONT_DESCA, FaceName));
    WideCharToMultiByte(CP_ACP, 0, wideDesc.FaceName, -1, narrowed.FaceName, LF_FACESIZE,
                        nullptr, nullptr);
    narrowed.FaceName[LF_FACESIZE - 1] = 0;
    desc = &narrowed;
    wide = false;
  }
  if (wide) {
    const LOGFONTW logFont = LogFontOf<LOGFONTW>(*static_cast<const D3DXFONT_DESCW*>(desc));
    font = CreateFontIndirectW(&logFont);
    mipLevels = static_cast<const D3DXFONT_DESCW*>(desc)->MipLevels;
  } else {
    const LOGFONTA logFont = LogFontOf<LOGFONTA>(*static_cast<const D3DXFONT_DESCA*>(desc));
    font = CreateFontIndirectA(&logFont);
    mipLevels = static_cast<const D3DXFONT_DESCA*>(desc)->MipLevels;
  }
  if (font == nullptr) return E_OUTOFMEMORY;
  previousFont = SelectObject(dc, font);
  languageInfo = GetFontLanguageInfo(dc);
  return S_OK;
}

void CachedFont::ReadMetrics() {
  if (SharedTextServices().unicodeGdi) {
    GetTextMetricsW(dc, &metrics);
    return;
  }
  TEXTMETRICA narrow{};
  GetTextMetricsA(dc, &narrow);
  std::memcpy(&metrics, &narrow, offsetof(TEXTMETRICA, tmFirstChar));
  metrics.tmFirstChar = narrow.tmFirstChar;
  metrics.tmLastChar = narrow.tmLastChar;
  metrics.tmDefaultChar = narrow.tmDefaultChar;
  metrics.tmBreakChar = narrow.tmBreakChar;
  metrics.tmItalic = narrow.tmItalic;
  metrics.tmUnderlined = narrow.tmUnderlined;
  metrics.tmStruckOut = narrow.tmStruckOut;
  metrics.tmPitchAndFamily = narrow.tmPitchAndFamily;
  metrics.tmCharSet = narrow.tmCharSet;
}

// A surface one widest glyph wide and one line high, drawn on white on black.
HRESULT CachedFont::CreateDrawingSurface() {
  surfaceWidth = metrics.tmMaxCharWidth;
  surfaceHeight = metrics.tmHeight;
  void* bits = nullptr;
  if (FAILED(MakeSurface(surfaceWidth, surfaceHeight, &surface, &bits))) return E_OUTOFMEMORY;
  surfaceBits = static_cast<std::uint32_t*>(bits);
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, 0);
  SetTextColor(dc, 0xFFFFFF);
  previousBitmap = SelectObject(dc, surface);
  return S_OK;
}

// Cells hold a line's height; small cells also the average width, large ones the widest
// glyph. A small texture holds up to 16 cells (one per character of a small font) and grows
// no further than 256 texels.
void CachedFont::ChooseCellGeometry() {
  blockCount = 0;
  std::fill(std::begin(blocks), std::end(blocks), nullptr);
  textureFormat = D3DFMT_A8R8G8B8;
  textureCount = 0;
  smallPool.texture = nullptr;
  largePool.texture = nullptr;
  smallPool.cellSize = 1;
  smallPool.levels = 1;
  GrowCell(smallPool.cellSize, smallPool.levels, metrics.tmHeight);
  largePool.cellSize = smallPool.cellSize;
  largePool.levels = smallPool.levels;
  GrowCell(smallPool.cellSize, smallPool.levels, metrics.tmAveCharWidth);
  GrowCell(largePool.cellSize, largePool.levels, metrics.tmMaxCharWidth);
  smallPool.cellArea = smallPool.cellSize * smallPool.cellSize;
  largePool.cellArea = largePool.cellSize * largePool.cellSize;
  if (mipLevels != 0) {
    smallPool.levels = std::min(smallPool.levels, mipLevels);
    largePool.levels = std::min(largePool.levels, mipLevels);
  }
  const UINT characters = std::min<UINT>(
      static_cast<UINT>(metrics.tmLastChar) - metrics.tmFirstChar + 1, 16);
  smallPool.textureSize = smallPool.cellSize;
  while (smallPool.cellArea * characters > smallPool.textureSize * smallPool.textureSize &&
         smallPool.textureSize < 256) {
    smallPool.textureSize *= 2;
  }
  largePool.textureSize = std::max(largePool.cellSize, smallPool.textureSize);
}

// The device may lower sizes and levels; textures must stay A8R8G8B8 and hold a cell.
HRESULT CachedFont::CheckCellTextures() {
  for (CellPool* pool : {&smallPool, &largePool}) {
    UINT size = pool->textureSize;
    const HRESULT result = D3DXCheckTextureRequirements(device, &size, &size, &pool->levels, 0,
                                                        &textureFormat, D3DPOOL_MANAGED);
    if (FAILED(result)) return result;
    pool->textureSize = size;
    pool->textureArea = size * size;
    pool->nextCell = pool->textureArea;
  }
  if (textureFormat != D3DFMT_A8R8G8B8 || smallPool.textureSize < smallPool.cellSize ||
      largePool.textureSize < largePool.cellSize) {
    return D3DXERR_INVALIDDATA;
  }
  return S_OK;
}

// The glyphs of a blank and of a missing character.
HRESULT CachedFont::FindSpecialGlyphs() {
  TextServices& services = SharedTextServices();
  if (services.uniscribeAvailable) {
    std::memset(&fontProperties, 0, sizeof(fontProperties));
    fontProperties.cBytes = sizeof(fontProperties);
    return services.scriptGetFontProperties(dc, &scriptCache, &fontProperties);
  }
  const WCHAR special[2] = {metrics.tmDefaultChar, metrics.tmBreakChar};
  WORD* targets[2] = {&defaultGlyph, &blankGlyph};
  for (int i = 0; i < 2; ++i) {
    const char narrow = static_cast<char>(special[i]);
    if (services.unicodeGdi) {
      PlaceCharacters(dc, &special[i], 1, 0, PlacementArrays{targets[i]});
    } else {
      PlaceCharacters(dc, &narrow, 1, 0, PlacementArrays{targets[i]});
    }
  }
  return S_OK;
}

// What was never made is skipped, so a half-made font goes the same way.
CachedFont::~CachedFont() {
  SafeRelease(device);
  SafeRelease(sprite);
  if (dc != nullptr && previousFont != nullptr) SelectObject(dc, previousFont);
  if (font != nullptr) DeleteObject(font);
  if (dc != nullptr && previousBitmap != nullptr) SelectObject(dc, previousBitmap);
  if (surface != nullptr) DeleteObject(surface);
  FreeBytes(unicodeRanges);
  if (dc != nullptr) DeleteDC(dc);
  for (UINT b = 0; b < blockCount; ++b) {
    FreeBytes(blocks[b]);
    FreeBytes(recordUses[b]);
  }
  for (UINT t = 0; t < textureCount; ++t) {
    textures[t]->Release();
    FreeBytes(textureCells[t].owners);
  }
  for (UINT r = 0; r < retiredCount; ++r) retired[r].texture->Release();
  if (scriptCache != nullptr) SharedTextServices().scriptFreeCache(&scriptCache);
  FreeBytes(mipScratch);
}

// --- The small operations ------------------------------------------------------------------------

HRESULT CachedFont::GetDevice(IDirect3DDevice9** out) {
  if (out == nullptr) return D3DERR_INVALIDCALL;
  device->AddRef();
  *out = device;
  return S_OK;
}

HRESULT CachedFont::GetDescA(D3DXFONT_DESCA* desc) {
  if (desc == nullptr) return D3DERR_INVALIDCALL;
  LOGFONTA logFont;
  if (GetObjectA(font, sizeof(logFont), &logFont) == 0) return D3DERR_INVALIDCALL;
  DescFromLogFont(*desc, logFont, mipLevels);
  std::memcpy(desc->FaceName, logFont.lfFaceName, sizeof(desc->FaceName));
  return S_OK;
}

HRESULT CachedFont::GetDescW(D3DXFONT_DESCW* desc) {
  if (desc == nullptr) return D3DERR_INVALIDCALL;
  if (SharedTextServices().unicodeGdi) {
    LOGFONTW logFont;
    if (GetObjectW(font, sizeof(logFont), &logFont) == 0) return D3DERR_INVALIDCALL;
    DescFromLogFont(*desc, logFont, mipLevels);
    std::memcpy(desc->FaceName, logFont.lfFaceName, sizeof(desc->FaceName));
    return S_OK;
  }
  LOGFONTA logFont;
  if (GetObjectA(font, sizeof(logFont), &logFont) == 0) return D3DERR_INVALIDCALL;
  DescFromLogFont(*desc, logFont, mipLevels);
  MultiByteToWideChar(CP_ACP, 0, logFont.lfFaceName, -1, desc->FaceName, LF_FACESIZE);
  desc->FaceName[LF_FACESIZE - 1] = 0;
  return S_OK;
}

HDC CachedFont::GetDC() { return dc; }

// Glyph textures are managed and survive a reset; only the font's sprite has device resources.
HRESULT CachedFont::OnLostDevice() { return sprite != nullptr ? sprite->OnLostDevice() : S_OK; }

HRESULT CachedFont::OnResetDevice() { return sprite != nullptr ? sprite->OnResetDevice() : S_OK; }
