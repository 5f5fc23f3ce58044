// The glyph table: records made on first use by drawing the glyph with GDI, and the interface
// operations that read or fill it.
#include <algorithm>
#include <climits>
#include <cstring>

#include "toolkit/common/allocation.h"
#include "toolkit/common/result.h"
#include "toolkit/font/character_placement.h"
#include "toolkit/font/cached_font.h"
#include "toolkit/font/text_services.h"

HRESULT CachedFont::MakeSurface(INT width, INT height, HBITMAP* bitmap, void** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  *bits = nullptr;
  *bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, bits, nullptr, 0);
  return *bitmap != nullptr && *bits != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT CachedFont::CacheGlyphs(const WORD* glyphList, UINT count, GlyphRecord** recordsOut) {
  for (UINT i = 0; i < count; ++i) {
    const WORD glyph = glyphList[i];
    const UINT block = glyph >> 8;
    if (blocks[block] == nullptr) {
      void* memory = AllocateZeroedBytes(256 * sizeof(GlyphRecord));
      void* uses = AllocateZeroedBytes(256 * sizeof(std::uint64_t));
      if (memory == nullptr || uses == nullptr) {
        FreeBytes(memory);
        FreeBytes(uses);
        return E_OUTOFMEMORY;
      }
      blocks[block] = static_cast<GlyphRecord*>(memory);
      recordUses[block] = static_cast<std::uint64_t*>(uses);
      blockCount = std::max(blockCount, block + 1);
    }
    GlyphRecord& record = blocks[block][glyph & 255];
    recordUses[block][glyph & 255] = useCount;
    if (recordsOut != nullptr) recordsOut[i] = &record;
    if (record.texture != nullptr) continue;
    INT shift = 0;
    const INT width = static_cast<INT>(DrawGlyph(glyph, &shift));
    if (width <= 0) {
      record.texture = noGlyphImage;
      continue;
    }
    CellPool& pool = width > static_cast<INT>(smallPool.cellSize) ? largePool : smallPool;
    const HRESULT result = RenderIntoCell(0, width, metrics.tmHeight, pool, record);
    if (FAILED(result)) return result;
    if (!HasImage(record)) continue;
    record.originX = static_cast<std::int16_t>(record.originX - shift);
    NoteCellOwner(record.texture, CellOwner{nullptr, glyph});
  }
  return S_OK;
}

// Draws one glyph with its cell's top-left at the surface origin and answers its width: the
// ink's right end for outline fonts, else the advance. The surface is cleared first, so that
// ink reaching past the advance never picks up an earlier glyph's pixels. An outline glyph whose
// ink starts left of its pen position (a negative A: marks drawn back over the glyph before
// them, italic descenders) is drawn `shift` pixels further right, so that none of it is lost;
// the width then counts from the surface's left edge.
UINT CachedFont::DrawGlyph(WORD glyph, INT* shift) {
  std::memset(surfaceBits, 0, std::size_t(surfaceWidth) * surfaceHeight * 4);
  *shift = 0;
  const TextServices& services = SharedTextServices();
  if (services.unicodeGdi) {
    const WCHAR index = static_cast<WCHAR>(glyph);
    if (metrics.tmPitchAndFamily & TMPF_TRUETYPE) {
      ABC abc{};
      services.getCharABCWidthsI(dc, glyph, 1, nullptr, &abc);
      *shift = std::clamp(-abc.abcA, 0, surfaceWidth);
      ExtTextOutW(dc, *shift, 0, ETO_GLYPH_INDEX | ETO_OPAQUE, nullptr, &index, 1, nullptr);
      const long long width = 0LL + *shift + abc.abcA + abc.abcB;
      return width > 0 ? static_cast<UINT>(std::min<long long>(width, INT_MAX)) : 0;
    }
    ExtTextOutW(dc, 0, 0, ETO_GLYPH_INDEX | ETO_OPAQUE, nullptr, &index, 1, nullptr);
    INT width = 0;
    services.getCharWidthI(dc, glyph, 1, nullptr, &width);
    return width > 0 ? static_cast<UINT>(width) : 0;
  }
  MoveToEx(dc, 0, 0, nullptr);
  const char index = static_cast<char>(glyph & 0xFF);
  ExtTextOutA(dc, 0, 0, ETO_GLYPH_INDEX | ETO_OPAQUE, nullptr, &index, 1, nullptr);
  POINT pen{};
  MoveToEx(dc, 0, 0, &pen);
  return pen.x > 0 ? static_cast<UINT>(pen.x) : 0;
}

WORD CachedFont::MapToFontRange(UINT value) {
  const WORD glyph = static_cast<WORD>(value);
  const TextServices& services = SharedTextServices();
  if (!services.unicodeGdi) return glyph;
  if (unicodeRanges == nullptr) {
    const DWORD size = services.getFontUnicodeRanges(dc, nullptr);
    if (size < sizeof(GLYPHSET) - sizeof(WCRANGE)) return glyph;
    void* buffer = AllocateBytes(size);
    if (buffer == nullptr) return glyph;
    std::memset(buffer, 0, size);
    unicodeRanges = static_cast<GLYPHSET*>(buffer);
    unicodeRanges->cbThis = size;
    services.getFontUnicodeRanges(dc, unicodeRanges);
  }
  // Never trust the count past the block that holds it.
  const DWORD room = (unicodeRanges->cbThis - offsetof(GLYPHSET, ranges)) / sizeof(WCRANGE);
  const DWORD rangeCount = std::min(unicodeRanges->cRanges, room);
  for (DWORD i = 0; i < rangeCount; ++i) {
    const WCRANGE& range = unicodeRanges->ranges[i];
    if (range.wcLow <= glyph && glyph < UINT{range.wcLow} + range.cGlyphs) return glyph;
  }
  return defaultGlyph;
}

HRESULT CachedFont::GetGlyphData(UINT glyph, IDirect3DTexture9** texture, RECT* blackBox,
                                 POINT* cellInc) {
  const CacheUse use(*this, false, nullptr);
  const WORD index = MapToFontRange(glyph & 0xFFFF);
  GlyphRecord* record = nullptr;
  const HRESULT result = CacheGlyphs(&index, 1, &record);
  if (FAILED(result)) return result;
  const bool image = HasImage(*record);
  if (texture != nullptr) {
    *texture = image ? record->texture : nullptr;
    if (image) record->texture->AddRef();
  }
  if (blackBox != nullptr) {
    *blackBox = image ? RECT{record->left, record->top, record->right, record->bottom}
                      : RECT{0, 0, 0, 0};
  }
  if (cellInc != nullptr) {
    *cellInc = image ? POINT{record->originX, record->originY} : POINT{0, 0};
  }
  return S_OK;
}

namespace {

template <typename Char>
UINT PlaceRange(HDC dc, void* buffer, UINT first, UINT count, WORD* out) {
  auto* text = static_cast<Char*>(buffer);
  for (UINT i = 0; i < count; ++i) text[i] = static_cast<Char>(first + i);
  return PlaceCharacters(dc, text, count, 0, PlacementArrays{out});
}

}  // namespace

// The glyphs of the characters first .. first + count - 1, by character placement.
HRESULT CachedFont::GlyphsOfCharacters(UINT first, UINT count, WORD* out, UINT* placed) {
  const bool wide = SharedTextServices().unicodeGdi;
  void* characters = AllocateBytes(std::size_t(count) * (wide ? sizeof(WCHAR) : 1));
  if (characters == nullptr) return E_OUTOFMEMORY;
  *placed = wide ? PlaceRange<WCHAR>(dc, characters, first, count, out)
                 : PlaceRange<char>(dc, characters, first, count, out);
  FreeBytes(characters);
  return S_OK;
}

HRESULT CachedFont::PreloadCharacters(UINT first, UINT last) {
  first = std::max<UINT>(first, metrics.tmFirstChar);
  last = std::min<UINT>(last, metrics.tmLastChar);
  if (!SharedTextServices().unicodeGdi) last = std::min<UINT>(last, 255);
  if (first > last) return S_OK;
  const CacheUse use(*this, false, nullptr);
  const UINT count = last - first + 1;
  auto* glyphList = static_cast<WORD*>(AllocateBytes(std::size_t(count) * sizeof(WORD)));
  if (glyphList == nullptr) return E_OUTOFMEMORY;
  std::memset(glyphList, 0, std::size_t(count) * sizeof(WORD));
  UINT placed = 0;
  HRESULT result = GlyphsOfCharacters(first, count, glyphList, &placed);
  if (SUCCEEDED(result)) result = CacheGlyphs(glyphList, placed, nullptr);
  FreeBytes(glyphList);
  return result;
}

HRESULT CachedFont::PreloadGlyphs(UINT first, UINT last) {
  last = std::min<UINT>(last, 0xFFFF);
  if (first > last) return S_OK;
  const CacheUse use(*this, false, nullptr);
  const UINT count = last - first + 1;
  auto* glyphList = static_cast<WORD*>(AllocateBytes(std::size_t(count) * sizeof(WORD)));
  if (glyphList == nullptr) return E_OUTOFMEMORY;
  for (UINT i = 0; i < count; ++i) glyphList[i] = MapToFontRange(first + i);
  const HRESULT result = CacheGlyphs(glyphList, count, nullptr);
  FreeBytes(glyphList);
  return result;
}
