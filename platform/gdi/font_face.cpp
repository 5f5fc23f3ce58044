// FreeType faces: opening, sizing, glyph lookup and rendering.
#include "platform/gdi/font_face.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/gdi/cache_budget.h"
#include "platform/gdi/face_metrics.h"
#include "platform/gdi/font_match.h"

namespace gdi {
namespace {

// One library for the process, kept to the end (faces may outlive any other owner).
FT_Library Library() {
  static FT_Library library = [] {
    FT_Library made = nullptr;
    return FT_Init_FreeType(&made) == 0 ? made : nullptr;
  }();
  return library;
}

// The slant given to upright faces of fonts asked to be italic: about 12 degrees.
constexpr FT_Matrix kSlant = {0x10000, 0x0366A, 0, 0x10000};

FT_F26Dot6 To26Dot6(double pixels) { return static_cast<FT_F26Dot6>(std::lround(pixels * 64)); }

}  // namespace

struct FontFace::Impl {
  FT_Face face = nullptr;
  bool monochrome = false;
  bool slanted = false;

  ~Impl() {
    if (face != nullptr) FT_Done_Face(face);
  }

  FT_Int32 LoadFlags() const {
    return FT_LOAD_NO_BITMAP | (monochrome ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL);
  }
};

namespace {

void CopyCoverage(const FT_Bitmap& bitmap, GlyphImage* image) {
  image->width = static_cast<int>(bitmap.width);
  image->rows = static_cast<int>(bitmap.rows);
  image->coverage.assign(static_cast<std::size_t>(image->width) * image->rows, 0);
  const int pitch = std::abs(bitmap.pitch);
  for (int row = 0; row < image->rows; ++row) {
    // A negative pitch stores the rows bottom first.
    const int stored = bitmap.pitch >= 0 ? row : image->rows - 1 - row;
    const unsigned char* source = bitmap.buffer + static_cast<std::size_t>(stored) * pitch;
    BYTE* target = image->coverage.data() + static_cast<std::size_t>(row) * image->width;
    for (int column = 0; column < image->width; ++column) {
      if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
        const bool set = (source[column >> 3] & (0x80 >> (column & 7))) != 0;
        target[column] = set ? 255 : 0;
      } else {
        target[column] = source[column];
      }
    }
  }
}

// The space's glyph, or else the first glyph that loads as an outline without points (the
// .null glyph that TrueType faces usually keep at index 1); 0 when there is none.
WORD FindBlankGlyph(FT_Face face) {
  const FT_UInt space = FT_Get_Char_Index(face, 0x20);
  if (space != 0 && space <= 0xFFFF) return static_cast<WORD>(space);
  constexpr FT_Long kSearched = 256;
  for (FT_Long glyph = 1; glyph < std::min(face->num_glyphs, kSearched); ++glyph) {
    if (FT_Load_Glyph(face, static_cast<FT_UInt>(glyph), FT_LOAD_NO_SCALE) == 0 &&
        face->glyph->format == FT_GLYPH_FORMAT_OUTLINE && face->glyph->outline.n_points == 0) {
      return static_cast<WORD>(glyph);
    }
  }
  return 0;
}

}  // namespace

FontFace::FontFace(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) { latinGlyphs_.fill(-1); }

FontFace::~FontFace() = default;

std::unique_ptr<FontFace::Impl> FontFace::OpenImpl(const char* file, int index) {
  FT_Library library = Library();
  if (library == nullptr) return nullptr;
  auto impl = std::make_unique<FontFace::Impl>();
  if (FT_New_Face(library, file, index, &impl->face) != 0) {
    impl->face = nullptr;
    return nullptr;
  }
  FT_Select_Charmap(impl->face, FT_ENCODING_UNICODE);
  return impl;
}

std::unique_ptr<FontFace> FontFace::Open(const LOGFONTW& logFont) {
  const std::optional<FaceChoice> choice = ChooseFace(logFont);
  if (!choice) return nullptr;
  std::unique_ptr<Impl> impl = OpenImpl(choice->file.c_str(), choice->index);
  if (!impl) return nullptr;
  const std::optional<FaceSize> size = SizeFor(impl->face, logFont);
  if (!size) return nullptr;
  return Finish(std::move(impl), logFont, *size, choice->slantMissing);
}

std::unique_ptr<FontFace> FontFace::OpenFile(const char* file, int index, const FaceSize& size,
                                             bool monochrome) {
  const bool sizeAllowed =
      size.emX > 0 && size.emY > 0 && size.emX <= kLargestSize && size.emY <= kLargestSize;
  if (file == nullptr || !sizeAllowed) return nullptr;
  std::unique_ptr<Impl> impl = OpenImpl(file, index);
  if (!impl || !FT_IS_SCALABLE(impl->face) || impl->face->units_per_EM == 0) return nullptr;
  LOGFONTW logFont{};
  logFont.lfCharSet = DEFAULT_CHARSET;
  logFont.lfQuality = monochrome ? NONANTIALIASED_QUALITY : ANTIALIASED_QUALITY;
  return Finish(std::move(impl), logFont, size, false);
}

std::unique_ptr<FontFace> FontFace::Finish(std::unique_ptr<Impl> impl, const LOGFONTW& logFont,
                                           const FaceSize& size, bool slanted) {
  if (FT_Set_Char_Size(impl->face, To26Dot6(size.emX), To26Dot6(size.emY), 72, 72) != 0) {
    return nullptr;
  }
  impl->monochrome = logFont.lfQuality == NONANTIALIASED_QUALITY;
  impl->slanted = slanted;
  std::unique_ptr<FontFace> font(new FontFace(std::move(impl)));
  font->size_ = size;
  font->ranges_ = MappedRanges(font->impl_->face);
  font->metrics_ =
      MeasureFace(font->impl_->face, logFont, size, font->impl_->slanted, font->ranges_);
  font->blankGlyph_ = FindBlankGlyph(font->impl_->face);
  return font;
}

FT_FaceRec_* FontFace::FreeTypeFace() const { return impl_->face; }

std::int32_t FontFace::LoadFlags() const { return impl_->LoadFlags(); }

bool FontFace::Monochrome() const { return impl_->monochrome; }

WORD FontFace::GlyphOfCharacter(UINT character) const {
  std::int32_t* known = character < latinGlyphs_.size() ? &latinGlyphs_[character] : nullptr;
  if (known != nullptr && *known >= 0) return static_cast<WORD>(*known);
  WORD glyph = blankGlyph_;
  if (character >= 0x20 || character == metrics_.tmDefaultChar) {
    const FT_UInt index = FT_Get_Char_Index(impl_->face, character);
    glyph = index <= 0xFFFF ? static_cast<WORD>(index) : 0;
  }
  if (known != nullptr) *known = glyph;
  return glyph;
}

// An image in the order of use of every face's images.
struct FontFace::KeptGlyph {
  GlyphImage image;
  FontFace* owner = nullptr;
  UINT index = 0;
  std::size_t bytes = 0;
  KeptGlyph* older = nullptr;
  KeptGlyph* newer = nullptr;

  ~KeptGlyph();
  void MakeNewest();
  void Unlink();
};

namespace {

struct GlyphOrder {
  FontFace::KeptGlyph* oldest = nullptr;
  FontFace::KeptGlyph* newest = nullptr;
  std::size_t budget = defaultGlyphImageBudget;
  CacheUsage usage;
};

GlyphOrder& Kept() {
  static GlyphOrder order;
  return order;
}

}  // namespace

FontFace::KeptGlyph::~KeptGlyph() {
  Unlink();
  Kept().usage.bytes -= bytes;
  --Kept().usage.entries;
}

void FontFace::KeptGlyph::Unlink() {
  GlyphOrder& order = Kept();
  (older != nullptr ? older->newer : order.oldest) = newer;
  (newer != nullptr ? newer->older : order.newest) = older;
  older = newer = nullptr;
}

void FontFace::KeptGlyph::MakeNewest() {
  GlyphOrder& order = Kept();
  if (order.newest == this) return;
  if (order.oldest == this || older != nullptr || newer != nullptr) Unlink();
  older = order.newest;
  (older != nullptr ? older->newer : order.oldest) = this;
  order.newest = this;
}

const GlyphImage& FontFace::Glyph(UINT glyph) {
  const UINT count = static_cast<UINT>(std::max<FT_Long>(impl_->face->num_glyphs, 1));
  if (glyph >= count) glyph = 0;
  if (glyphs_.empty()) glyphs_.resize(count);
  if (KeptGlyph* kept = glyphs_[glyph].get()) {
    kept->MakeNewest();
    return kept->image;
  }
  auto made = std::make_unique<KeptGlyph>();
  RenderGlyph(glyph, made->image);
  made->owner = this;
  made->index = glyph;
  made->bytes = sizeof(KeptGlyph) + made->image.coverage.capacity();
  KeptGlyph* fresh = made.get();
  glyphs_[glyph] = std::move(made);
  fresh->MakeNewest();
  Kept().usage.bytes += fresh->bytes;
  ++Kept().usage.entries;
  KeepWithinBudget(fresh);
  return fresh->image;
}

// Older images go until the images fit; the one just made always stays.
void FontFace::KeepWithinBudget(const KeptGlyph* fresh) {
  GlyphOrder& order = Kept();
  while (order.usage.bytes > order.budget && order.oldest != fresh) {
    KeptGlyph* oldest = order.oldest;
    oldest->owner->glyphs_[oldest->index].reset();
    ++order.usage.evictions;
  }
}

void FontFace::RenderGlyph(UINT glyph, GlyphImage& image) {
  FT_GlyphSlot slot = impl_->face->glyph;
  if (FT_Load_Glyph(impl_->face, glyph, impl_->LoadFlags()) != 0) return;
  if (impl_->slanted && slot->format == FT_GLYPH_FORMAT_OUTLINE) {
    FT_Outline_Transform(&slot->outline, &kSlant);
  }
  image.advance = static_cast<int>((slot->advance.x + 32) >> 6);
  const FT_Render_Mode mode = impl_->monochrome ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL;
  if (FT_Render_Glyph(slot, mode) != 0) return;
  image.left = slot->bitmap_left;
  image.top = slot->bitmap_top;
  CopyCoverage(slot->bitmap, &image);
}

void SetGlyphImageBudget(std::size_t bytes) {
  Kept().budget = bytes;
  FontFace::KeepWithinBudget(nullptr);
}

CacheUsage GlyphImageUsage() { return Kept().usage; }

ABC FontFace::AbcWidths(UINT glyph) {
  const GlyphImage& image = Glyph(glyph);
  bool inked = false;
  for (BYTE value : image.coverage) inked = inked || value != 0;
  if (!inked) return {0, 1, image.advance - 1};
  return {image.left, static_cast<UINT>(image.width), image.advance - image.left - image.width};
}

bool FontFace::HasKerning() const { return FT_HAS_KERNING(impl_->face); }

int FontFace::Kerning(WORD left, WORD right) const {
  if (!HasKerning()) return 0;
  const std::uint32_t pair = std::uint32_t(left) << 16 | right;
  KnownKerning& known = kernings_[(pair * 2654435761u) >> (32 - kKerningCacheBits)];
  if (known.filled && known.pair == pair) return known.kerning;
  FT_Vector delta{0, 0};
  const int kerning = FT_Get_Kerning(impl_->face, left, right, FT_KERNING_DEFAULT, &delta) == 0
                          ? static_cast<int>(delta.x >> 6)
                          : 0;
  known = {pair, kerning, true};
  return kerning;
}

}  // namespace gdi
