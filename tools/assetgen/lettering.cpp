#include "tools/assetgen/lettering.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <memory>
#include <stdexcept>

const char kSerifBoldFont[] = "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf";
const char kSerifFont[] = "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf";

namespace {

struct LibraryCloser {
  void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
struct FaceCloser {
  void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using Library = std::unique_ptr<FT_LibraryRec_, LibraryCloser>;
using Face = std::unique_ptr<FT_FaceRec_, FaceCloser>;

// Copies a rendered glyph into the mask with its origin at (penX, baseline).
void CopyGlyph(TextMask& mask, const FT_GlyphSlot slot, int penX, int baseline) {
  const FT_Bitmap& bitmap = slot->bitmap;
  const bool mono = bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
  for (unsigned row = 0; row < bitmap.rows; ++row) {
    for (unsigned col = 0; col < bitmap.width; ++col) {
      const unsigned char* line = bitmap.buffer + int(row) * bitmap.pitch;
      const uint8_t value =
          mono ? ((line[col / 8] >> (7 - col % 8)) & 1 ? 255 : 0) : line[col];
      const int x = penX + slot->bitmap_left + int(col);
      const int y = baseline - slot->bitmap_top + int(row);
      if (x < 0 || y < 0 || x >= mask.width || y >= mask.height) continue;
      uint8_t& cell = mask.coverage[size_t(y) * size_t(mask.width) + size_t(x)];
      cell = std::max(cell, value);
    }
  }
}

}  // namespace

TextMask SetText(const char* fontPath, const std::string& text, int pixelSize, bool hard) {
  FT_Library rawLibrary = nullptr;
  if (FT_Init_FreeType(&rawLibrary) != 0) throw std::runtime_error("FreeType does not start");
  const Library library(rawLibrary);
  FT_Face rawFace = nullptr;
  if (FT_New_Face(library.get(), fontPath, 0, &rawFace) != 0) {
    throw std::runtime_error(std::string("cannot load the font ") + fontPath);
  }
  const Face face(rawFace);
  FT_Set_Pixel_Sizes(face.get(), 0, FT_UInt(pixelSize));
  const FT_Int32 load = FT_LOAD_RENDER | (hard ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL);

  // First pass measures, second draws: the same advances both times.
  const int ascent = int(face->size->metrics.ascender >> 6);
  const int descent = int(-face->size->metrics.descender >> 6);
  auto layOut = [&](TextMask* mask) {
    int pen = 0, right = 0;
    FT_UInt previous = 0;
    for (unsigned char ch : text) {
      const FT_UInt glyph = FT_Get_Char_Index(face.get(), ch);
      if (previous != 0 && FT_HAS_KERNING(face.get())) {
        FT_Vector kern{};
        FT_Get_Kerning(face.get(), previous, glyph, FT_KERNING_DEFAULT, &kern);
        pen += int(kern.x >> 6);
      }
      if (FT_Load_Glyph(face.get(), glyph, load) != 0) continue;
      const FT_GlyphSlot slot = face->glyph;
      if (mask != nullptr) CopyGlyph(*mask, slot, pen + 1, ascent + 1);
      right = std::max(right, pen + slot->bitmap_left + int(slot->bitmap.width));
      pen += int(slot->advance.x >> 6);
      previous = glyph;
    }
    return std::max(pen, right);
  };
  TextMask mask;
  mask.width = layOut(nullptr) + 2;
  mask.height = ascent + descent + 2;
  mask.coverage.assign(size_t(mask.width) * size_t(mask.height), 0);
  layOut(&mask);
  return mask;
}

TextMask Enlarge(const TextMask& mask, int factor) {
  TextMask big;
  big.width = mask.width * factor;
  big.height = mask.height * factor;
  big.coverage.resize(size_t(big.width) * size_t(big.height));
  for (int y = 0; y < big.height; ++y) {
    for (int x = 0; x < big.width; ++x) {
      big.coverage[size_t(y) * size_t(big.width) + size_t(x)] = mask.At(x / factor, y / factor);
    }
  }
  return big;
}

TextMask Grow(const TextMask& mask, int radius) {
  TextMask grown;
  grown.width = mask.width + 2 * radius;
  grown.height = mask.height + 2 * radius;
  grown.coverage.resize(size_t(grown.width) * size_t(grown.height));
  for (int y = 0; y < grown.height; ++y) {
    for (int x = 0; x < grown.width; ++x) {
      uint8_t most = 0;
      for (int dy = -radius; dy <= radius; ++dy) {
        for (int dx = -radius; dx <= radius; ++dx) {
          most = std::max(most, mask.At(x - radius + dx, y - radius + dy));
        }
      }
      grown.coverage[size_t(y) * size_t(grown.width) + size_t(x)] = most;
    }
  }
  return grown;
}

void Letter(Canvas& c, const TextMask& mask, int x, int y, Rgba colour) {
  for (int my = 0; my < mask.height; ++my) {
    for (int mx = 0; mx < mask.width; ++mx) c.Blend(x + mx, y + my, colour, mask.At(mx, my));
  }
}

void LetterGradient(Canvas& c, const TextMask& mask, int x, int y, Rgba top, Rgba bottom,
                    int bands) {
  for (int my = 0; my < mask.height; ++my) {
    const int band = std::min(bands - 1, my * bands / std::max(1, mask.height));
    const float t = bands > 1 ? float(band) / float(bands - 1) : 0;
    auto mix = [t](uint8_t a, uint8_t b) { return uint8_t(float(a) + (float(b) - float(a)) * t + 0.5f); };
    const Rgba colour{mix(top.r, bottom.r), mix(top.g, bottom.g), mix(top.b, bottom.b), 255};
    for (int mx = 0; mx < mask.width; ++mx) c.Blend(x + mx, y + my, colour, mask.At(mx, my));
  }
}
