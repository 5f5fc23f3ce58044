// The two analyses side by side: the shaping module, which every program has from start-up,
// and GDI's character placement when the module is hidden. The game's own lines on both paths,
// each held against HarfBuzz on the same face and size.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/gdi/font_face.h"
#include "platform/gdi/objects.h"
#include "tests/toolkit/font/font_fixture.h"
#include "tests/toolkit/font/script_reference.h"
#include "toolkit/font/text_services.h"

namespace {

using sheet_test::PlacedGlyph;

// The file of the face fontconfig gives for a family in a slant.
std::string FaceFile(const char* family, int slant) {
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddInteger(pattern, FC_SLANT, slant);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcChar8* file = nullptr;
  std::string path;
  if (match != nullptr && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
    path = reinterpret_cast<const char*>(file);
  }
  if (match != nullptr) FcPatternDestroy(match);
  FcPatternDestroy(pattern);
  return path;
}

class ShapingPathsTest : public font_test::FontTest {
 protected:
  // The glyphs of the one line that `text` makes in the font, as DrawTextA lays it out.
  std::vector<PlacedGlyph> LaidOut(CachedFont* font, const std::string& text) {
    RECT rect = {0, 0, 200, 60};
    EXPECT_NE(0, font->DrawTextA(nullptr, text.c_str(), INT(text.size()), &rect, DT_CALCRECT,
                                 0xFFFFFFFF));
    std::vector<PlacedGlyph> glyphs;
    EXPECT_EQ(1u, font->lineCount);
    for (UINT i = font->lines[0].firstGlyph; i < font->lines[0].endGlyph; ++i) {
      const UINT p = font->order[i];
      glyphs.push_back({font->glyphs[p], font->glyphX[p] + font->glyphOffsets[p].du,
                        font->glyphOffsets[p].dv, font->advances[p]});
    }
    return glyphs;
  }
};

// The shaping path kerns as HarfBuzz does, from the face's GPOS table; the GDI path only from
// its legacy kern table, a pixel per pair. For the direction lines in Liberation Serif Italic
// the two agree to the pixel. Liberation Sans has no kern-table pair for V and y, but a GPOS one
// that takes V's advance from 11 pixels to 10: the credit line's last y stands a pixel further
// left on the shaping path.
TEST_F(ShapingPathsTest, TheGameLinesOnBothPaths) {
  struct GameLine {
    const char* face;
    INT height;
    std::string file;
    std::string text;
  };
  std::vector<GameLine> lines;
  const std::string italic = FaceFile("Times New Roman", FC_SLANT_ITALIC);
  for (int facing = 0; facing < 8; ++facing) {
    lines.push_back(
        {"Times New Roman Italic", 24, italic, "direction: " + std::to_string(facing) + " "});
  }
  lines.push_back({"Arial", 18, FaceFile("Arial", FC_SLANT_ROMAN), "By Vy"});
  for (const GameLine& line : lines) {
    SCOPED_TRACE(line.text);
    // The path is the process's: each font lives and lays its line out while its path is in
    // force.
    UseShapingModule(true);
    win32::ComRef<ID3DXFont> made;
    ASSERT_EQ(S_OK, D3DXCreateFontA(device, line.height, 0, 0, 0, FALSE, 0, 0, 0, 0, line.face,
                                    made.Receive()));
    auto* shaping = static_cast<CachedFont*>(made.Get());
    ASSERT_TRUE(SharedTextServices().uniscribeAvailable);
    const auto shaped = LaidOut(shaping, line.text);
    const double em = gdi::FaceOfDc(shaping->GetDC())->EmSize().emY;
    const usp_test::ReferenceFace face(usp_test::ReferenceFace::File{line.file}, em);
    EXPECT_TRUE(usp_test::SameFace(shaping->GetDC(), face));
    EXPECT_EQ(0u, made.Detach()->Release());
    UseShapingModule(false);
    CachedFont* placing = MakeFont(line.face, line.height);
    ASSERT_FALSE(SharedTextServices().uniscribeAvailable);
    const auto placed = LaidOut(placing, line.text);
    const std::u16string text(line.text.begin(), line.text.end());
    EXPECT_EQ(sheet_test::ReferenceLine(face, text, false, 0, int(text.size())), shaped);
    if (line.text != "By Vy") {
      EXPECT_EQ(shaped, placed);
      continue;
    }
    const hb_feature_t noKerning = {HB_TAG('k', 'e', 'r', 'n'), 0, 0, ~0u};
    EXPECT_EQ(sheet_test::ReferenceLine(face, text, false, 0, 5, {noKerning}), placed);
    FT_Vector kerning{1, 1};
    FT_Get_Kerning(face.Face(), face.GlyphOf(U'V'), face.GlyphOf(U'y'), FT_KERNING_DEFAULT,
                   &kerning);
    EXPECT_EQ(0, kerning.x);  // nothing in a kern table
    ASSERT_EQ(5u, shaped.size());
    ASSERT_EQ(5u, placed.size());
    EXPECT_EQ(11, placed[3].advance);
    EXPECT_EQ(10, shaped[3].advance);
    EXPECT_EQ(placed[4].x - 1, shaped[4].x);
  }
}

// Hiding the module sends fonts down the GDI path: a vowel sign that reads before its
// consonant stays after it there, in the order of the text, and comes first when shaped.
TEST_F(ShapingPathsTest, HidingTheModuleGivesTheGdiPath) {
  const std::u16string ki = u"\u0915\u093F";
  for (bool shown : {true, false}) {
    UseShapingModule(shown);
    win32::ComRef<ID3DXFont> made;
    ASSERT_EQ(S_OK, D3DXCreateFontA(device, -24, 0, 0, 0, FALSE, 0, 0, 0, 0, "Noto Sans Devanagari",
                                    made.Receive()));
    auto* font = static_cast<CachedFont*>(made.Get());
    EXPECT_EQ(shown, bool(SharedTextServices().uniscribeAvailable));
    ASSERT_EQ(S_OK, font->PreloadTextW(ki.c_str(), 2));
    const usp_test::ReferenceFace face("Noto Sans Devanagari", 24);
    const WORD ka = WORD(face.GlyphOf(U'\u0915'));
    ASSERT_EQ(2u, font->GlyphCount());
    if (shown) {
      EXPECT_EQ(ka, font->glyphs[1]);
      EXPECT_EQ(face.Shape(ki, false)[0].glyph, font->glyphs[0]);
    } else {
      EXPECT_EQ(ka, font->glyphs[0]);
      EXPECT_EQ(face.GlyphOf(U'\u093F'), font->glyphs[1]);
    }
    EXPECT_EQ(0u, made.Detach()->Release());
  }
}

}  // namespace
