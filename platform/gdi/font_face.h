// A FreeType face opened and sized for one logical font, with GDI's metrics and a cache of
// rendered glyphs (not part of the program's interface).
//
// Sizes: a positive lfHeight is the cell height, the sum of the face's Windows ascent and
// descent (the OS/2 usWinAscent and usWinDescent); a negative one is the em height; 0 asks
// for an em of kDefaultEmHeight pixels. A non-zero lfWidth stretches the face so that its
// average character width becomes |lfWidth|. Pixels are logical units (MM_TEXT).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gdi/face_size.h"
#include "platform/gdi/records.h"

struct FT_FaceRec_;

namespace gdi {

// An em of 12 pixels: a 9-point font on a 96-dpi screen.
constexpr double kDefaultEmHeight = 12.0;
// Larger heights or widths make no font.
constexpr LONG kLargestSize = 16384;

// A glyph as drawn: its coverage bitmap relative to the pen on the baseline.
struct GlyphImage {
  int advance = 0;  // pixels to the next pen position
  int left = 0;     // from the pen to the bitmap's left column
  int top = 0;      // from the baseline up to the bitmap's top row
  int width = 0;
  int rows = 0;
  std::vector<BYTE> coverage;  // rows x width, 0 (none) to 255 (full); 0 or 255 only when mono
};

class FontFace {
 public:
  // Null when no face can be chosen, opened or sized.
  static std::unique_ptr<FontFace> Open(const LOGFONTW& logFont);
  // Face `index` of a font file at an em size of its own, drawn in grey levels or in two;
  // null when the file cannot be opened or sized.
  static std::unique_ptr<FontFace> OpenFile(const char* file, int index, const FaceSize& size,
                                            bool monochrome);
  ~FontFace();
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;

  const TEXTMETRICW& Metrics() const { return metrics_; }
  const FaceSize& EmSize() const { return size_; }
  // The FreeType face and the load flags that its glyphs are drawn and measured with, for
  // services that lay text out with the same face (they must not change its size).
  FT_FaceRec_* FreeTypeFace() const;
  std::int32_t LoadFlags() const;
  // Drawn in two levels (NONANTIALIASED_QUALITY) rather than in grey levels.
  bool Monochrome() const;
  // Glyph 0 (the missing-glyph box) for characters the face does not map. C0 control
  // characters are never shown: they get BlankGlyph(), except the default character, which
  // stands for the missing-glyph box by definition.
  WORD GlyphOfCharacter(UINT character) const;
  // A glyph without ink: the space's, or else the first outline glyph with no points.
  WORD BlankGlyph() const { return blankGlyph_; }
  // Glyph indices the face does not have are drawn and measured as glyph 0.
  const GlyphImage& Glyph(UINT glyph);
  // An inkless glyph has GDI's 1 x 1 black box at the pen: A 0, B 1, C advance - 1.
  ABC AbcWidths(UINT glyph);
  bool HasKerning() const;
  // Pixels to add to the advance of `left` when `right` follows it.
  int Kerning(WORD left, WORD right) const;
  // The mapped characters of the Basic Multilingual Plane, ascending, as ranges.
  const std::vector<WCRANGE>& UnicodeRanges() const { return ranges_; }

  // A rendered image in the order of use shared by every face's images, which together keep
  // to the budget of cache_budget.h: the least recently used go first, never `fresh`.
  struct KeptGlyph;
  static void KeepWithinBudget(const KeptGlyph* fresh);

 private:
  struct Impl;
  explicit FontFace(std::unique_ptr<Impl> impl);
  // Face `index` of `file`, not sized yet; null when FreeType cannot open it.
  static std::unique_ptr<Impl> OpenImpl(const char* file, int index);
  static std::unique_ptr<FontFace> Finish(std::unique_ptr<Impl> impl, const LOGFONTW& logFont,
                                          const FaceSize& size, bool slanted);

  std::unique_ptr<Impl> impl_;
  FaceSize size_;
  TEXTMETRICW metrics_{};
  std::vector<WCRANGE> ranges_;
  WORD blankGlyph_ = 0;
  // By glyph index, drawn when first asked.
  std::vector<std::unique_ptr<KeptGlyph>> glyphs_;
  void RenderGlyph(UINT glyph, GlyphImage& image);
  // What FreeType answered before, as text is laid out again on every frame: the glyphs of
  // the first 256 characters (-1 while not asked), and the kerning of recent glyph pairs, one
  // pair to a slot by a hash of the pair.
  static constexpr int kKerningCacheBits = 10;
  struct KnownKerning {
    std::uint32_t pair = 0;
    int kerning = 0;
    bool filled = false;
  };
  mutable std::array<std::int32_t, 256> latinGlyphs_;
  mutable std::array<KnownKerning, 1 << kKerningCacheBits> kernings_{};
};

}  // namespace gdi
