// Shaping through HarfBuzz's FreeType font, with the load flags the GDI layer draws with, so that
// advances are the ones GDI measures.
#include "platform/uniscribe/shaper.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <hb-ft.h>
#include <hb-ot.h>
#include <unicode/uchar.h>

#include <algorithm>
#include <map>
#include <new>

#include "platform/uniscribe/script_ids.h"

namespace uniscribe {
namespace {

// Shapers by FreeType face. An entry whose shaper has gone is replaced when its address is
// asked for again: only a live shaper keeps its face, and so its address, taken.
std::map<FT_FaceRec_*, std::weak_ptr<Shaper>>& LiveShapers() {
  static auto* shapers = new std::map<FT_FaceRec_*, std::weak_ptr<Shaper>>;
  return *shapers;
}

bool IsControl(char32_t c) { return c < 0x20 || c == 0x7F; }

bool IsInvisible(char32_t c) {
  return IsControl(c) ||
         u_hasBinaryProperty(static_cast<UChar32>(c), UCHAR_DEFAULT_IGNORABLE_CODE_POINT) != 0;
}

struct BufferDeleter {
  void operator()(hb_buffer_t* buffer) const { hb_buffer_destroy(buffer); }
};

}  // namespace

std::shared_ptr<Shaper> Shaper::ForFace(const gdi::FontFace& face) {
  FT_Face ftFace = face.FreeTypeFace();
  if (ftFace == nullptr) return nullptr;
  std::weak_ptr<Shaper>& slot = LiveShapers()[ftFace];
  if (std::shared_ptr<Shaper> live = slot.lock()) return live;
  hb_font_t* font = hb_ft_font_create_referenced(ftFace);
  if (font == nullptr || font == hb_font_get_empty()) return nullptr;
  hb_ft_font_set_load_flags(font, face.LoadFlags());
  std::shared_ptr<Shaper> shaper(new Shaper(ftFace, font));
  slot = shaper;
  return shaper;
}

Shaper::~Shaper() {
  auto& shapers = LiveShapers();
  auto found = shapers.find(face_);
  if (found != shapers.end() && found->second.expired()) shapers.erase(found);
  hb_font_destroy(font_);
}

WORD Shaper::GlyphOf(char32_t character) const {
  const FT_UInt glyph = FT_Get_Char_Index(face_, character);
  return glyph <= 0xFFFF ? static_cast<WORD>(glyph) : 0;
}

bool Shaper::Shape(const ShapingRequest& request, std::vector<ShapedGlyph>& glyphs) const {
  std::unique_ptr<hb_buffer_t, BufferDeleter> buffer(hb_buffer_create());
  hb_buffer_add_utf16(buffer.get(), reinterpret_cast<const std::uint16_t*>(request.text),
                      request.contextLength, static_cast<unsigned>(request.start), request.length);
  if (!hb_buffer_allocation_successful(buffer.get())) return false;
  hb_buffer_set_direction(buffer.get(), request.rightToLeft ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
  const hb_script_t script = HarfBuzzScript(request.scriptId);
  if (script != HB_SCRIPT_INVALID) hb_buffer_set_script(buffer.get(), script);
  hb_buffer_guess_segment_properties(buffer.get());
  unsigned flags = HB_BUFFER_FLAG_DEFAULT;
  if (request.start == 0) flags |= HB_BUFFER_FLAG_BOT;
  if (request.start + request.length == request.contextLength) flags |= HB_BUFFER_FLAG_EOT;
  hb_buffer_set_flags(buffer.get(), static_cast<hb_buffer_flags_t>(flags));
  const hb_feature_t noLigatures[] = {{HB_TAG('l', 'i', 'g', 'a'), 0, 0, ~0u},
                                      {HB_TAG('c', 'l', 'i', 'g'), 0, 0, ~0u}};
  hb_shape(font_, buffer.get(), request.inhibitLigatures ? noLigatures : nullptr,
           request.inhibitLigatures ? 2 : 0);
  if (!hb_buffer_allocation_successful(buffer.get())) return false;

  unsigned count = 0;
  const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer.get(), &count);
  const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer.get(), nullptr);
  glyphs.resize(count);
  const WORD blank = BlankGlyph();
  for (unsigned i = 0; i < count; ++i) {
    ShapedGlyph& glyph = glyphs[i];
    glyph.glyph = infos[i].codepoint <= 0xFFFF ? static_cast<WORD>(infos[i].codepoint) : 0;
    glyph.cluster = static_cast<int>(infos[i].cluster);
    glyph.advance = positions[i].x_advance;
    glyph.offsetX = positions[i].x_offset;
    glyph.offsetY = positions[i].y_offset;
    const char16_t unit = glyph.cluster < request.contextLength ? request.text[glyph.cluster] : 0;
    glyph.zeroWidth = IsInvisible(unit);
    if (IsControl(unit)) glyph = ShapedGlyph{blank, glyph.cluster, 0, 0, 0, true};
  }
  return true;
}

int Shaper::PlainAdvance(WORD glyph) const { return hb_font_get_glyph_h_advance(font_, glyph); }

bool Shaper::InkExtent(WORD glyph, int* left, int* right) const {
  std::unique_ptr<InkBlock>& block = inks_[glyph >> 8];
  if (!block) {
    block.reset(new (std::nothrow) InkBlock{});
    if (!block) return false;
  }
  Ink& ink = (*block)[glyph & 0xFF];
  if (!ink.known) {
    ink.known = true;
    hb_glyph_extents_t extents{};
    if (hb_font_get_glyph_extents(font_, glyph, &extents) && extents.width != 0 &&
        extents.height != 0) {
      // Widths are negative for glyphs drawn right to left from their bearing.
      const int a = extents.x_bearing;
      const int b = extents.x_bearing + extents.width;
      ink.inked = true;
      ink.left = std::min(a, b);
      ink.right = std::max(a, b);
    }
  }
  *left = ink.left;
  *right = ink.right;
  return ink.inked;
}

bool Shaper::IsMark(WORD glyph) const {
  return hb_ot_layout_get_glyph_class(hb_font_get_face(font_), glyph) ==
         HB_OT_LAYOUT_GLYPH_CLASS_MARK;
}

}  // namespace uniscribe
