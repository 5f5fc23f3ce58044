// References for the shaping module's answers, computed here with the libraries themselves:
// HarfBuzz shaping on a face opened from the file fontconfig chooses, at the same em size and
// with the load flags the GDI layer draws with.
#pragma once

#include <hb.h>

#include <string>
#include <vector>

#include "platform/uniscribe/uniscribe.h"
#include "tests/platform/gdi/gdi_fixture.h"

struct FT_FaceRec_;

namespace usp_test {

// 1/64 pixel to whole pixels, halves up: what the module promises for advances and offsets.
constexpr int Px(int sixtyFourths) { return (sixtyFourths + 32) >> 6; }

struct RefGlyph {
  unsigned glyph = 0;
  unsigned cluster = 0;
  int advance = 0;  // 1/64 pixel
  int offsetX = 0;
  int offsetY = 0;  // upwards
};

class ReferenceFace {
 public:
  // The regular upright face of `family` that fontconfig matches, at an em of `em` pixels.
  ReferenceFace(const std::string& family, double em);
  // Face 0 of a font file, at an em of `em` pixels.
  struct File {
    std::string path;
  };
  ReferenceFace(const File& file, double em);
  ~ReferenceFace();
  ReferenceFace(const ReferenceFace&) = delete;
  ReferenceFace& operator=(const ReferenceFace&) = delete;

  // Glyphs in HarfBuzz's output (visual) order.
  std::vector<RefGlyph> Shape(const std::u16string& text, bool rightToLeft,
                              const std::vector<hb_feature_t>& features = {}) const;
  unsigned GlyphOf(char32_t character) const;
  FT_FaceRec_* Face() const { return face_; }

 private:
  void Open(const char* file, int index, double em);

  FT_FaceRec_* face_ = nullptr;
  hb_font_t* font_ = nullptr;
};

// A DC whose font is `family` at an em of `em` pixels (a negative lfHeight), with a surface.
class ShapingDc : public gdi_test::TextDc {
 public:
  ShapingDc(const std::u16string& family, int em, int width = 256, int height = 64)
      : TextDc(family, -em, width, height) {}
  ~ShapingDc();
  SCRIPT_CACHE cache = nullptr;
};

// Whether the DC's face is the reference's: same family, style and glyph count.
bool SameFace(HDC dc, const ReferenceFace& reference);

// The fontconfig candidate, in its sorted order for `family` at `em` pixels, that is the first
// to hold `character`; empty when none does.
std::string FirstCandidateWith(const std::string& family, int em, char32_t character);

}  // namespace usp_test
