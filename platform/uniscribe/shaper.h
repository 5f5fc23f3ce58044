// HarfBuzz shaping with a FreeType face of the GDI layer (not part of the program's interface).
#pragma once

#include <hb.h>

#include <array>
#include <memory>
#include <vector>

#include "platform/gdi/font_face.h"
#include "platform/uniscribe/usp10.h"

namespace uniscribe {

// 1/64 pixel to whole pixels, halves rounded up.
constexpr int Pixels(int sixtyFourths) { return (sixtyFourths + 32) >> 6; }

// One glyph as shaping gave it; positions in 1/64 pixel.
struct ShapedGlyph {
  WORD glyph = 0;
  int cluster = 0;         // index of the first UTF-16 unit of its cluster in the whole text
  int advance = 0;         // along x
  int offsetX = 0;         // rightwards
  int offsetY = 0;         // upwards, as HarfBuzz measures it
  bool zeroWidth = false;  // a control or default-ignorable character: no advance, no ink
};

struct ShapingRequest {
  const WCHAR* text = nullptr;  // the context the shaped characters sit in
  int contextLength = 0;
  int start = 0;  // the characters to shape
  int length = 0;
  bool rightToLeft = false;
  WORD scriptId = SCRIPT_UNDEFINED;
  bool inhibitLigatures = false;
};

class Shaper {
 public:
  // The one shaper of the face's FreeType face, made when first asked; it keeps that face alive,
  // so that a FreeType face it names is never another one at the same address. Null when
  // HarfBuzz cannot make a font.
  static std::shared_ptr<Shaper> ForFace(const gdi::FontFace& face);
  ~Shaper();
  Shaper(const Shaper&) = delete;
  Shaper& operator=(const Shaper&) = delete;

  FT_FaceRec_* Face() const { return face_; }
  hb_font_t* Font() const { return font_; }
  WORD GlyphOf(char32_t character) const;  // 0 when the face lacks it
  WORD BlankGlyph() const { return GlyphOf(U' '); }

  // Shapes the request's characters; glyphs come in visual order (left to right). C0 control
  // characters become the blank glyph without advance. False when memory runs out.
  bool Shape(const ShapingRequest& request, std::vector<ShapedGlyph>& glyphs) const;
  // The glyph's own advance, without shaping.
  int PlainAdvance(WORD glyph) const;
  // The glyph's ink from its pen position, left and right edges; false for a glyph without ink.
  // Kept per glyph once measured: measuring loads (and hints) the glyph.
  bool InkExtent(WORD glyph, int* left, int* right) const;
  // A mark by the face's glyph classes.
  bool IsMark(WORD glyph) const;

 private:
  Shaper(FT_FaceRec_* face, hb_font_t* font) : face_(face), font_(font) {}

  struct Ink {
    bool known = false;
    bool inked = false;
    int left = 0;
    int right = 0;
  };
  using InkBlock = std::array<Ink, 256>;

  FT_FaceRec_* face_;
  hb_font_t* font_;
  mutable std::array<std::unique_ptr<InkBlock>, 256> inks_;  // by the glyph's high byte
};

}  // namespace uniscribe
