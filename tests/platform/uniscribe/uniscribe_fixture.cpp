#include "tests/platform/uniscribe/uniscribe_fixture.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <hb-ft.h>

#include <cmath>
#include <cstring>

#include "platform/gdi/objects.h"

namespace usp_test {
namespace {

FT_Library Library() {
  static FT_Library library = [] {
    FT_Library made = nullptr;
    FT_Init_FreeType(&made);
    return made;
  }();
  return library;
}

FcPattern* Pattern(const std::string& family, double em) {
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
  FcPatternAddDouble(pattern, FC_PIXEL_SIZE, em);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  return pattern;
}

}  // namespace

ReferenceFace::ReferenceFace(const std::string& family, double em) {
  FcPattern* pattern = Pattern(family, em);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcChar8* file = nullptr;
  int index = 0;
  EXPECT_EQ(FcResultMatch, FcPatternGetString(match, FC_FILE, 0, &file));
  FcPatternGetInteger(match, FC_INDEX, 0, &index);
  Open(reinterpret_cast<const char*>(file), index, em);
  FcPatternDestroy(match);
  FcPatternDestroy(pattern);
}

ReferenceFace::ReferenceFace(const File& file, double em) { Open(file.path.c_str(), 0, em); }

void ReferenceFace::Open(const char* file, int index, double em) {
  EXPECT_EQ(0, FT_New_Face(Library(), file, index, &face_));
  FT_Select_Charmap(face_, FT_ENCODING_UNICODE);
  const FT_F26Dot6 size = std::lround(em * 64);
  FT_Set_Char_Size(face_, size, size, 72, 72);
  font_ = hb_ft_font_create_referenced(face_);
  hb_ft_font_set_load_flags(font_, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_NORMAL);
}

ReferenceFace::~ReferenceFace() {
  hb_font_destroy(font_);
  FT_Done_Face(face_);
}

std::vector<RefGlyph> ReferenceFace::Shape(const std::u16string& text, bool rightToLeft,
                                           const std::vector<hb_feature_t>& features) const {
  hb_buffer_t* buffer = hb_buffer_create();
  const auto length = static_cast<int>(text.size());
  hb_buffer_add_utf16(buffer, reinterpret_cast<const std::uint16_t*>(text.data()), length, 0,
                      length);
  hb_buffer_set_direction(buffer, rightToLeft ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
  hb_buffer_guess_segment_properties(buffer);
  hb_buffer_set_flags(buffer,
                      static_cast<hb_buffer_flags_t>(HB_BUFFER_FLAG_BOT | HB_BUFFER_FLAG_EOT));
  hb_shape(font_, buffer, features.data(), static_cast<unsigned>(features.size()));
  unsigned count = 0;
  const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer, &count);
  const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer, nullptr);
  std::vector<RefGlyph> glyphs;
  for (unsigned i = 0; i < count; ++i) {
    glyphs.push_back({infos[i].codepoint, infos[i].cluster, positions[i].x_advance,
                      positions[i].x_offset, positions[i].y_offset});
  }
  hb_buffer_destroy(buffer);
  return glyphs;
}

unsigned ReferenceFace::GlyphOf(char32_t character) const {
  return FT_Get_Char_Index(face_, character);
}

ShapingDc::~ShapingDc() { EXPECT_EQ(S_OK, ScriptFreeCache(&cache)); }

bool SameFace(HDC dc, const ReferenceFace& reference) {
  const gdi::FontFace* face = gdi::FaceOfDc(dc);
  if (face == nullptr) return false;
  FT_Face mine = face->FreeTypeFace();
  FT_Face theirs = reference.Face();
  return std::strcmp(mine->family_name, theirs->family_name) == 0 &&
         std::strcmp(mine->style_name, theirs->style_name) == 0 &&
         mine->num_glyphs == theirs->num_glyphs;
}

std::string FirstCandidateWith(const std::string& family, int em, char32_t character) {
  FcPattern* pattern = Pattern(family, em);
  FcResult result = FcResultNoMatch;
  FcFontSet* sorted = FcFontSort(nullptr, pattern, FcTrue, nullptr, &result);
  std::string found;
  for (int i = 0; sorted != nullptr && i < sorted->nfont && found.empty(); ++i) {
    FcCharSet* characters = nullptr;
    FcChar8* file = nullptr;
    if (FcPatternGetCharSet(sorted->fonts[i], FC_CHARSET, 0, &characters) == FcResultMatch &&
        FcCharSetHasChar(characters, character) &&
        FcPatternGetString(sorted->fonts[i], FC_FILE, 0, &file) == FcResultMatch) {
      found = reinterpret_cast<const char*>(file);
    }
  }
  if (sorted != nullptr) FcFontSetDestroy(sorted);
  FcPatternDestroy(pattern);
  return found;
}

}  // namespace usp_test
