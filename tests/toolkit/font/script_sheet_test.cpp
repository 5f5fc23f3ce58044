// The sheet of scripts drawn with DrawTextW through the shaping module, each line held against
// what the libraries give for the same face, size and text: HarfBuzz's glyphs and positions in
// FriBidi's visual order, FreeType's glyph images at those positions in the drawn texture,
// fallback faces in fontconfig's order, and ICU's word boundaries for Thai. Wrapped lines are
// laid out at many widths.
#include <ft2build.h>
#include FT_FREETYPE_H
#include <unicode/ubrk.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <set>

#include "tests/toolkit/font/font_fixture.h"
#include "tests/toolkit/font/script_reference.h"
#include "toolkit/font/text_services.h"
#include "tools/scriptsheet/script_sheet.h"

namespace {

using script_sheet::SheetLine;
using sheet_test::PlacedGlyph;
using usp_test::ReferenceFace;

// One reference face per face and size, opened once.
const ReferenceFace& FaceFor(const std::string& family, int em) {
  static std::map<std::pair<std::string, int>, std::unique_ptr<ReferenceFace>> faces;
  auto& face = faces[{family, em}];
  if (!face) face = std::make_unique<ReferenceFace>(family, em);
  return *face;
}

const ReferenceFace& FileFace(const std::string& path, int em) {
  static std::map<std::pair<std::string, int>, std::unique_ptr<ReferenceFace>> faces;
  auto& face = faces[{path, em}];
  if (!face) face = std::make_unique<ReferenceFace>(ReferenceFace::File{path}, em);
  return *face;
}

bool IsControl(char16_t c) { return c < 0x20; }

bool HasControls(const std::u16string& text) {
  return std::any_of(text.begin(), text.end(), IsControl);
}

// Whether the line's face lacks one of its characters, so that words go through fallback faces.
bool NeedsFallback(const SheetLine& line) {
  const ReferenceFace& face = FaceFor(line.face, line.em);
  return std::any_of(line.text.begin(), line.text.end(),
                     [&](char16_t c) { return !IsControl(c) && face.GlyphOf(c) == 0; });
}

bool RightToLeft(DWORD format) { return (format & DT_RTLREADING) != 0; }

// The glyph positions of each laid-out line of the font's last DrawText, in visual order.
std::vector<std::vector<PlacedGlyph>> LaidOutLines(CachedFont* font) {
  std::vector<std::vector<PlacedGlyph>> result;
  for (UINT l = 0; l < font->lineCount; ++l) {
    std::vector<PlacedGlyph> line;
    for (UINT i = font->lines[l].firstGlyph; i < font->lines[l].endGlyph; ++i) {
      const UINT p = font->order[i];
      line.push_back({font->glyphs[p], font->glyphX[p] + font->glyphOffsets[p].du,
                      font->glyphOffsets[p].dv, font->advances[p]});
    }
    result.push_back(line);
  }
  return result;
}

// The logical characters [first, end) of each laid-out line: those of the words that begin in
// it. Without a word torn across lines, that is all of the line.
std::vector<std::pair<int, int>> LineCharacters(CachedFont* font) {
  std::vector<std::pair<int, int>> ranges;
  UINT w = 0;
  for (UINT l = 0; l < font->lineCount; ++l) {
    const TextLine& line = font->lines[l];
    while (w < font->WordCount() && UINT(font->words[w].firstGlyph) < line.firstGlyph) ++w;
    const int first = font->words[w].firstChar;
    while (w < font->WordCount() && UINT(font->words[w].firstGlyph) < line.endGlyph) ++w;
    ranges.push_back({first, font->words[w].firstChar});
  }
  return ranges;
}

// A grey-level picture of white ink over black, combined as the sprite blends it.
struct Coverage {
  int width = 0;
  int height = 0;
  std::vector<float> values;
  Coverage(int w, int h) : width(w), height(h), values(std::size_t(w) * h, 0.0f) {}
  void Over(int x, int y, float a) {
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    float& v = values[std::size_t(y) * width + x];
    v = a + v * (1.0f - a);
  }
};

// FreeType's image of each glyph, placed as a line draws it: pen x from `left`, baseline at
// `baseline`, inside the band [top, bottom) that holds the line's cells.
void PaintGlyphs(const ReferenceFace& face, const std::vector<PlacedGlyph>& glyphs, long long left,
                 int baseline, int top, int bottom, Coverage& picture) {
  FT_Face ft = face.Face();
  for (const PlacedGlyph& g : glyphs) {
    if (FT_Load_Glyph(ft, g.glyph, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_NORMAL) != 0) continue;
    if (FT_Render_Glyph(ft->glyph, FT_RENDER_MODE_NORMAL) != 0) continue;
    const FT_Bitmap& bitmap = ft->glyph->bitmap;
    const long long x0 = left + g.x + ft->glyph->bitmap_left;
    const long long y0 = baseline + g.dv - ft->glyph->bitmap_top;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
      const long long y = y0 + row;
      if (y < top || y >= bottom) continue;
      for (unsigned column = 0; column < bitmap.width; ++column) {
        const BYTE value = bitmap.buffer[row * bitmap.pitch + column];
        if (value != 0) picture.Over(int(x0 + column), int(y), value / 255.0f);
      }
    }
  }
}

struct FaceRun {
  const ReferenceFace* face;
  std::u16string text;
};

// The characters [first, end) of a line cut where the face changes: the line's own face where
// it has the character, else the first of fontconfig's fallbacks for it that does.
std::vector<FaceRun> FaceRuns(const SheetLine& line, int first, int end) {
  const ReferenceFace& own = FaceFor(line.face, line.em);
  std::vector<FaceRun> runs;
  for (int i = first; i < end; ++i) {
    const char16_t c = line.text[i];
    const ReferenceFace* face = &own;
    if (own.GlyphOf(c) == 0) {
      const std::string file = usp_test::FirstCandidateWith(own.Face()->family_name, line.em, c);
      EXPECT_FALSE(file.empty()) << "no face has U+" << std::hex << int(c);
      if (!file.empty()) face = &FileFace(file, line.em);
    }
    if (runs.empty() || runs.back().face != face) runs.push_back({face, u""});
    runs.back().text += c;
  }
  return runs;
}

const SheetLine& LineNamed(const std::string& start) {
  for (const SheetLine& line : script_sheet::Lines()) {
    if (std::string(line.caption).starts_with(start)) return line;
  }
  ADD_FAILURE() << "no line " << start;
  return script_sheet::Lines().front();
}

class ScriptSheetTest : public font_test::FontTest {
 protected:
  void SetUp() override {
    FontTest::SetUp();
    UseShapingModule(true);
  }
};

// Every line without controls: HarfBuzz's glyphs and positions, in FriBidi's order of each
// laid-out line; and in the texture, FreeType's images of those glyphs where they stand (of the
// fallback faces' glyphs for words the line's face cannot show).
TEST_F(ScriptSheetTest, EveryLineIsShapedAndDrawnAsTheLibrariesSay) {
  Coverage expected(script_sheet::sheetWidth, 2000);
  std::vector<std::pair<int, int>> bands;  // rows compared
  int checkedLines = 0;
  auto check = [&](const SheetLine& line, ID3DXFont* drawn, const RECT& rect) {
    SCOPED_TRACE(line.caption);
    auto* font = static_cast<CachedFont*>(drawn);
    ASSERT_TRUE(SharedTextServices().uniscribeAvailable);
    if (HasControls(line.text)) return;
    const bool rtl = RightToLeft(line.format);
    const ReferenceFace& face = FaceFor(line.face, line.em);
    ASSERT_TRUE(usp_test::SameFace(font->GetDC(), face));
    const auto laidOut = LaidOutLines(font);
    const auto ranges = LineCharacters(font);
    ASSERT_EQ(laidOut.size(), ranges.size());
    const TEXTMETRICW& metrics = font->metrics;
    for (std::size_t l = 0; l < laidOut.size(); ++l) {
      const int top = int(rect.top + l * metrics.tmHeight);
      const int baseline = top + metrics.tmAscent;
      const int bottom = top + metrics.tmHeight;
      bands.push_back({top, bottom});
      if (NeedsFallback(line)) {
        // Left to right, each run of characters in the face that has them.
        ASSERT_FALSE(rtl);
        long long pen = 0;
        for (const FaceRun& run : FaceRuns(line, ranges[l].first, ranges[l].second)) {
          std::vector<PlacedGlyph> glyphs;
          for (const usp_test::RefGlyph& g : run.face->Shape(run.text, false)) {
            glyphs.push_back({g.glyph, pen + usp_test::Px(g.offsetX), -usp_test::Px(g.offsetY)});
            pen += usp_test::Px(g.advance);
          }
          PaintGlyphs(*run.face, glyphs, rect.left, baseline, top, bottom, expected);
        }
        continue;
      }
      const std::vector<PlacedGlyph> reference =
          sheet_test::ReferenceLine(face, line.text, rtl, ranges[l].first, ranges[l].second);
      const unsigned blank = face.GlyphOf(U' ');
      EXPECT_EQ(sheet_test::WithoutEmptyBlanks(reference, blank),
                sheet_test::WithoutEmptyBlanks(laidOut[l], blank))
          << "line " << l;
      long long lineWidth = 0;
      for (const PlacedGlyph& g : reference) lineWidth += g.advance;
      const long long left = rtl ? rect.right - lineWidth : rect.left;
      PaintGlyphs(face, reference, left, baseline, top, bottom, expected);
    }
    ++checkedLines;
  };
  std::vector<std::uint32_t> pixels;
  UINT sheetHeight = 0;
  ASSERT_EQ(S_OK, script_sheet::RenderSheet(&pixels, &sheetHeight, check));
  EXPECT_GE(checkedLines, 9);
  // Text column only: captions are not held here.
  int inked = 0;
  for (const auto& [top, bottom] : bands) {
    int differing = 0;
    std::string first;
    for (int y = top; y < bottom && y < int(sheetHeight); ++y) {
      for (int x = script_sheet::textLeft; x < script_sheet::sheetWidth; ++x) {
        const int drawn = (pixels[std::size_t(y) * script_sheet::sheetWidth + x] >> 8) & 0xFF;
        const int want =
            int(std::lround(expected.values[std::size_t(y) * expected.width + x] * 255));
        inked += want != 0;
        if (std::abs(drawn - want) <= 2) continue;
        if (differing++ == 0) {
          first = "at " + std::to_string(x) + "," + std::to_string(y) + ": drawn " +
                  std::to_string(drawn) + ", expected " + std::to_string(want);
        }
      }
    }
    EXPECT_EQ(0, differing) << "rows " << top << " to " << bottom << ", first " << first;
  }
  EXPECT_GT(inked, 5000);
}

}  // namespace

namespace {

// Lays `text` out in a rectangle `width` wide without drawing it (DT_CALCRECT).
void LayOut(CachedFont* font, const std::u16string& text, DWORD format, INT width) {
  RECT rect = {0, 0, width, 100000};
  ASSERT_NE(0, font->DrawTextW(nullptr, text.c_str(), INT(text.size()), &rect, format | DT_CALCRECT,
                               0xFFFFFFFF));
}

// The laid-out line that holds each glyph position.
std::vector<int> LineOfGlyph(CachedFont* font) {
  std::vector<int> lineOf(font->GlyphCount(), -1);
  for (UINT l = 0; l < font->lineCount; ++l) {
    for (UINT g = font->lines[l].firstGlyph; g < font->lines[l].endGlyph; ++g) lineOf[g] = int(l);
  }
  return lineOf;
}

// The glyph positions of the words that begin in the characters [first, end).
std::vector<int> GlyphsOfCharacters(CachedFont* font, int first, int end) {
  std::vector<int> positions;
  for (UINT w = 0; w < font->WordCount(); ++w) {
    if (font->words[w].firstChar < first || font->words[w].firstChar >= end) continue;
    for (INT g = font->words[w].firstGlyph; g < font->words[w + 1].firstGlyph; ++g) {
      positions.push_back(g);
    }
  }
  return positions;
}

// Maximal runs of characters other than spaces.
std::vector<std::pair<int, int>> Tokens(const std::u16string& text) {
  std::vector<std::pair<int, int>> tokens;
  for (int i = 0; i < int(text.size());) {
    if (text[i] == u' ') {
      ++i;
      continue;
    }
    int end = i;
    while (end < int(text.size()) && text[end] != u' ') ++end;
    tokens.push_back({i, end});
    i = end;
  }
  return tokens;
}

TEST_F(ScriptSheetTest, WrappedWordsStayWholeWhereTheyFitAtEveryWidth) {
  struct Case {
    const char* face;
    int em;
    std::u16string text;
  };
  const Case cases[] = {
      {"DejaVu Sans", 18,
       u"\u05E9\u05DC\u05D5\u05DD world 123 \u0645\u0631\u062D\u0628\u0627 "
       u"\u0628\u0627\u0644\u0639\u0627\u0644\u0645 and more 4567 \u05E1\u05D5\u05E3"},
      {"Noto Sans Hebrew", 24,
       u"\u05E9\u05C1\u05B8\u05DC\u05D5\u05B9\u05DD \u05E2\u05D5\u05B9\u05DC\u05B8\u05DD "
       u"\u05E9\u05DC\u05D5\u05DD \u05DC\u05DB\u05D5\u05DC\u05DD \u05D5\u05E2\u05D5\u05D3"},
      {"Noto Sans Arabic", 26,
       u"\u0627\u0644\u0633\u0644\u0627\u0645 \u0639\u0644\u064A\u0643\u0645 \u0644\u0627 "
       u"\u0634\u064A\u0621 \u0645\u0633\u062A\u062D\u064A\u0644 \u0641\u064A "
       u"\u0647\u0630\u0627"},
      {"Noto Sans Devanagari", 24,
       u"\u0915\u094D\u0937\u0924\u094D\u0930\u093F\u092F \u0939\u093F\u0928\u094D\u0926\u0940 "
       u"\u0915\u093F\u0924\u093E\u092C \u092A\u0922\u093C\u0928\u093E"},
  };
  for (const Case& c : cases) {
    CachedFont* font = MakeFont(c.face, -c.em);
    ASSERT_NE(nullptr, font);
    const ReferenceFace& face = FaceFor(c.face, c.em);
    const unsigned blank = face.GlyphOf(U' ');
    for (bool rtl : {false, true}) {
      const std::vector<int> levels = sheet_test::ParagraphLevels(c.text, rtl);
      const auto tokens = Tokens(c.text);
      std::vector<long long> tokenWidths;
      long long widestToken = 0;
      for (const auto& [first, end] : tokens) {
        tokenWidths.push_back(sheet_test::ShapedWidth(face, c.text.substr(first, end - first),
                                                      (levels[first] & 1) != 0));
        widestToken = std::max(widestToken, tokenWidths.back());
      }
      for (INT wrapWidth = 30; wrapWidth <= 480; wrapWidth += 10) {
        SCOPED_TRACE(std::string(c.face) + (rtl ? ", right to left" : "") + ", width " +
                     std::to_string(wrapWidth));
        LayOut(font, c.text, DT_WORDBREAK | (rtl ? DT_RTLREADING : 0), wrapWidth);
        const std::vector<int> lineOf = LineOfGlyph(font);
        std::vector<std::set<int>> tokensOfLine(font->lineCount);
        for (std::size_t t = 0; t < tokens.size(); ++t) {
          std::set<int> lines;
          for (int g : GlyphsOfCharacters(font, tokens[t].first, tokens[t].second)) {
            lines.insert(lineOf[g]);
            tokensOfLine[lineOf[g]].insert(int(t));
          }
          if (tokenWidths[t] <= wrapWidth) {
            EXPECT_EQ(1u, lines.size()) << "token " << t << " torn";
          }
        }
        for (UINT l = 0; l < font->lineCount; ++l) {
          if (font->lines[l].width <= wrapWidth) continue;
          // Only a word wider than the rectangle may overflow it, alone on its line.
          ASSERT_EQ(1u, tokensOfLine[l].size()) << "line " << l;
          EXPECT_GT(tokenWidths[*tokensOfLine[l].begin()], wrapWidth) << "line " << l;
        }
        if (widestToken > wrapWidth) continue;
        const auto laidOut = LaidOutLines(font);
        const auto ranges = LineCharacters(font);
        for (std::size_t l = 0; l < laidOut.size(); ++l) {
          EXPECT_EQ(
              sheet_test::WithoutEmptyBlanks(
                  sheet_test::ReferenceLine(face, c.text, rtl, ranges[l].first, ranges[l].second),
                  blank),
              sheet_test::WithoutEmptyBlanks(laidOut[l], blank))
              << "line " << l;
        }
      }
    }
  }
}

TEST_F(ScriptSheetTest, ThaiBreaksBetweenWordsWhereIcuFindsThem) {
  const SheetLine& line = LineNamed("Thai");
  CachedFont* font = MakeFont(line.face, -line.em);
  ASSERT_NE(nullptr, font);
  const ReferenceFace& face = FaceFor(line.face, line.em);
  std::set<int> boundaries;
  UErrorCode status = U_ZERO_ERROR;
  UBreakIterator* words =
      ubrk_open(UBRK_WORD, "th", line.text.data(), int32_t(line.text.size()), &status);
  ASSERT_TRUE(U_SUCCESS(status));
  for (int32_t at = ubrk_first(words); at != UBRK_DONE; at = ubrk_next(words)) {
    boundaries.insert(at);
  }
  ubrk_close(words);
  ASSERT_GT(boundaries.size(), 4u);  // the text has no spaces: only a dictionary finds these
  for (INT wrapWidth = 100; wrapWidth <= 400; wrapWidth += 20) {
    SCOPED_TRACE("width " + std::to_string(wrapWidth));
    LayOut(font, line.text, DT_WORDBREAK, wrapWidth);
    if (wrapWidth <= 200) {
      EXPECT_GE(font->lineCount, 2u);
    }
    const auto ranges = LineCharacters(font);
    const auto laidOut = LaidOutLines(font);
    for (std::size_t l = 0; l < ranges.size(); ++l) {
      EXPECT_EQ(1u, boundaries.count(ranges[l].first)) << "line " << l << " starts inside a word";
      EXPECT_LE(font->lines[l].width, wrapWidth);
      EXPECT_EQ(
          sheet_test::ReferenceLine(face, line.text, false, ranges[l].first, ranges[l].second),
          laidOut[l]);
    }
  }
}

TEST_F(ScriptSheetTest, AnEWithACombiningAcuteIsDrawnAsTheComposedOne) {
  CachedFont* font = MakeFont("Arial", -24);
  ASSERT_NE(nullptr, font);
  const ReferenceFace& face = FaceFor("Arial", 24);
  LayOut(font, u"cafe\u0301", 0, 400);
  const auto decomposed = LaidOutLines(font);
  const GlyphRecord* decomposedRecord = font->glyphRecords[3];
  LayOut(font, u"caf\u00E9", 0, 400);
  EXPECT_EQ(decomposed, LaidOutLines(font));
  ASSERT_EQ(4u, font->GlyphCount());
  EXPECT_EQ(face.GlyphOf(U'\u00E9'), font->glyphs[3]);
  EXPECT_EQ(decomposedRecord, font->glyphRecords[3]);
}

TEST_F(ScriptSheetTest, TabsCarriageReturnsAndLineFeedsDrawNothing) {
  CachedFont* font = MakeFont("Arial", -20);
  ASSERT_NE(nullptr, font);
  const std::u16string text = u"ab\tcd\ref\ngh";
  font_test::RecordingSprite sprite;
  RECT rect = {0, 0, 400, 200};
  ASSERT_NE(0, font->DrawTextW(&sprite, text.c_str(), INT(text.size()), &rect, DT_EXPANDTABS,
                               0xFFFFFFFF));
  EXPECT_EQ(2u, font->lineCount);
  EXPECT_EQ(8u, sprite.drawn.size());  // the letters only
  // Left to right, one glyph per character: a character's position within its word.
  auto positionOf = [&](int character) {
    UINT w = 0;
    while (w + 1 < font->WordCount() && font->words[w + 1].firstChar <= character) ++w;
    return font->words[w].firstGlyph + (character - font->words[w].firstChar);
  };
  for (int control : {2, 5, 8}) {
    EXPECT_FALSE(HasImage(*font->glyphRecords[positionOf(control)])) << control;
  }
  const INT tabStop = 8 * font->metrics.tmAveCharWidth;
  EXPECT_EQ(tabStop, font->glyphX[positionOf(3)]);  // c, after the tab
  // e follows d directly: the carriage return takes no room.
  const int d = positionOf(3) + 1;
  EXPECT_EQ(font->glyphX[d] + font->advances[d], font->glyphX[positionOf(6)]);
  EXPECT_EQ(0, font->glyphX[positionOf(9)]);  // g starts the second line
}

TEST_F(ScriptSheetTest, WordsTheFaceLacksAreDrawnWholeWithFallbackFaces) {
  const SheetLine& line = LineNamed("Fallback");
  CachedFont* font = MakeFont(line.face, -line.em);
  ASSERT_NE(nullptr, font);
  const ReferenceFace& face = FaceFor(line.face, line.em);
  LayOut(font, line.text, 0, 600);
  int wholeWords = 0;
  for (UINT w = 0; w < font->WordCount(); ++w) {
    const int first = font->words[w].firstChar, end = font->words[w + 1].firstChar;
    bool lacks = false;
    for (int i = first; i < end; ++i) lacks = lacks || face.GlyphOf(line.text[i]) == 0;
    long long wordWidth = 0, inked = 0;
    for (INT g = font->words[w].firstGlyph; g < font->words[w + 1].firstGlyph; ++g) {
      EXPECT_EQ(lacks, font->glyphs[g] == runPieceGlyph) << "word " << w;
      if (lacks) {
        EXPECT_LE(UINT(font->advances[g]), font->runPool.cellSize);
      }
      wordWidth += font->advances[g];
      inked += HasImage(*font->glyphRecords[g]);
    }
    if (!lacks) continue;
    ++wholeWords;
    EXPECT_GT(inked, 0) << "word " << w;
    long long expected = 0;
    for (const FaceRun& run : FaceRuns(line, first, end)) {
      expected += sheet_test::ShapedWidth(*run.face, run.text, false);
    }
    EXPECT_EQ(expected, wordWidth) << "word " << w;
  }
  EXPECT_EQ(2, wholeWords);  // the Han characters and the private-use one
}

TEST_F(ScriptSheetTest, LigaturesWhereTheFaceHasThem) {
  const SheetLine& line = LineNamed("Ligatures");
  const ReferenceFace& face = FaceFor(line.face, line.em);
  const std::vector<usp_test::RefGlyph> fi = face.Shape(u"fi", false);
  ASSERT_EQ(1u, fi.size());  // the face ligates f and i
  CachedFont* font = MakeFont(line.face, -line.em);
  ASSERT_NE(nullptr, font);
  LayOut(font, u"fine", 0, 400);
  ASSERT_EQ(3u, font->GlyphCount());
  EXPECT_EQ(fi[0].glyph, font->glyphs[0]);
}

}  // namespace
