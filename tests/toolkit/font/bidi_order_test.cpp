// Right-to-left and mixed text drawn with DrawTextW on the GDI path, checked against FriBidi's
// own answer for the same text and paragraph direction: the glyphs of each line, read left to
// right by where they were queued, come in the order the bidirectional algorithm gives that
// line; wrapped lines hold consecutive stretches of the text; a right-to-left word that fits
// on a line is never torn apart. And control characters draw nothing.
//
// Every inked character of a test text occurs once (after mirroring), so each queued glyph
// tells which character it stands for.
#include <fribidi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <numeric>
#include <string>
#include <tuple>
#include <vector>

#include "platform/win32/modules.h"
#include "tests/toolkit/font/font_fixture.h"
#include "toolkit/font/text_services.h"

namespace {

using font_test::FontTest;
using font_test::RecordingSprite;

// FriBidi's levels of one paragraph.
struct Reference {
  std::vector<FriBidiCharType> types;
  std::vector<FriBidiLevel> levels;
  FriBidiParType direction = FRIBIDI_PAR_LTR;
};

Reference Analyse(const std::u16string& text, bool rightToLeft) {
  const auto n = static_cast<FriBidiStrIndex>(text.size());
  std::vector<FriBidiChar> characters(text.begin(), text.end());
  std::vector<FriBidiBracketType> brackets(text.size());
  Reference reference;
  reference.types.resize(text.size());
  reference.levels.resize(text.size());
  reference.direction = rightToLeft ? FRIBIDI_PAR_RTL : FRIBIDI_PAR_LTR;
  fribidi_get_bidi_types(characters.data(), n, reference.types.data());
  fribidi_get_bracket_types(characters.data(), n, reference.types.data(), brackets.data());
  EXPECT_NE(0, fribidi_get_par_embedding_levels_ex(reference.types.data(), brackets.data(), n,
                                                   &reference.direction,
                                                   reference.levels.data()));
  return reference;
}

// The characters [first, end) reordered as one line: logical indices, left to right.
std::vector<int> LineOrder(const Reference& reference, int first, int end) {
  std::vector<FriBidiLevel> levels = reference.levels;
  std::vector<FriBidiStrIndex> map(levels.size());
  std::iota(map.begin(), map.end(), 0);
  EXPECT_NE(0, fribidi_reorder_line(FRIBIDI_FLAGS_DEFAULT, reference.types.data(), end - first,
                                    first, reference.direction, levels.data(), nullptr,
                                    map.data()));
  return std::vector<int>(map.begin() + first, map.begin() + end);
}

bool IsRightToLeft(FriBidiCharType type) {
  return type == FRIBIDI_TYPE_RTL || type == FRIBIDI_TYPE_AL;
}

using GlyphKey = std::tuple<IDirect3DTexture9*, LONG, LONG>;

// Glyphs as drawn, by line from the top, each line left to right, as logical indices.
using DrawnLines = std::vector<std::vector<int>>;

class BidiOrderTest : public FontTest {
 protected:
  void SetUp() override {
    FontTest::SetUp();
    // The analysis under test is the one without the shaping services.
    win32::HideModule("usp10.dll", true);
    testing_hooks::ForgetTextServicesProbe();
    font = MakeFont("DejaVu Sans", 18);
    ASSERT_NE(nullptr, font);
  }
  void TearDown() override {
    FontTest::TearDown();
    win32::HideModule("usp10.dll", false);
    testing_hooks::ForgetTextServicesProbe();
  }

  // Learns the glyph record and advance of every character of the text as it is shown.
  void Learn(const std::u16string& text, const Reference& reference) {
    keys.clear();
    records.assign(text.size(), nullptr);
    advance.assign(text.size(), 0);
    for (std::size_t i = 0; i < text.size(); ++i) {
      FriBidiChar mirrored = text[i];
      if (reference.levels[i] & 1) fribidi_get_mirror_char(text[i], &mirrored);
      const auto shown = static_cast<WCHAR>(mirrored);
      records[i] = &RecordOf(font, shown);
      advance[i] = static_cast<int>(
          GetCharacterPlacementW(font->GetDC(), &shown, 1, 0, nullptr, 0) & 0xFFFF);
      if (!Inked(static_cast<int>(i))) continue;
      const GlyphKey key{records[i]->texture, records[i]->left, records[i]->top};
      ASSERT_EQ(0u, keys.count(key)) << "a test text repeats a glyph at " << i;
      keys[key] = static_cast<int>(i);
    }
  }

  bool Inked(int index) const { return HasImage(*records[index]); }

  // Draws and reads back which character went where; every queued glyph must be known.
  DrawnLines Draw(const std::u16string& text, DWORD format, LONG wrapWidth) {
    RecordingSprite sprite;
    RECT rect = {0, 0, wrapWidth, 4000};
    EXPECT_NE(0, font->DrawTextW(&sprite, text.data(), static_cast<INT>(text.size()), &rect,
                                 format | DT_NOCLIP, 0xFFFFFFFF));
    std::map<LONG, std::vector<std::pair<LONG, int>>> byLine;
    for (const font_test::QueuedGlyph& glyph : sprite.drawn) {
      const auto found = keys.find(GlyphKey{glyph.texture, glyph.source.left, glyph.source.top});
      if (found == keys.end()) {
        ADD_FAILURE() << "a glyph that stands for no character of the text was drawn";
        continue;
      }
      // The pen position: the image's place less the record's origin.
      const GlyphRecord& record = *records[found->second];
      byLine[glyph.ScreenTop() - record.originY].push_back(
          {glyph.ScreenLeft() - record.originX, found->second});
    }
    DrawnLines lines;
    for (auto& [y, glyphs] : byLine) {
      std::sort(glyphs.begin(), glyphs.end());
      lines.emplace_back();
      for (const auto& [x, index] : glyphs) lines.back().push_back(index);
    }
    return lines;
  }

  // FriBidi's order of the inked characters of text[first, end) as one line.
  std::vector<int> InkedOrder(const Reference& reference, int first, int end) {
    std::vector<int> order;
    for (int index : LineOrder(reference, first, end)) {
      if (Inked(index)) order.push_back(index);
    }
    return order;
  }

  // Draws the text on one line and at every width that wraps it, unless `oneLineOnly`.
  void CheckText(const std::u16string& text, bool rightToLeft, bool oneLineOnly = false);

  CachedFont* font = nullptr;
  std::map<GlyphKey, int> keys;
  std::vector<const GlyphRecord*> records;
  std::vector<int> advance;
};

void BidiOrderTest::CheckText(const std::u16string& text, bool rightToLeft, bool oneLineOnly) {
  testing::Message name;
  for (char16_t c : text) name << std::hex << int(c) << ' ';
  SCOPED_TRACE(name << (rightToLeft ? "in a right-to-left paragraph" : "left to right"));
  const Reference reference = Analyse(text, rightToLeft);
  Learn(text, reference);
  const DWORD direction = rightToLeft ? DT_RTLREADING : 0;
  const int n = static_cast<int>(text.size());

  // One line: the whole text in FriBidi's order.
  const DrawnLines single = Draw(text, direction, 2000);
  ASSERT_EQ(1u, single.size());
  EXPECT_EQ(InkedOrder(reference, 0, n), single[0]);
  if (oneLineOnly) return;

  // Right-to-left words: runs of strong right-to-left letters.
  std::vector<std::pair<int, int>> rightToLeftWords;
  int full = 0;
  for (int i = 0; i < n; ++i) {
    full += advance[i];
    if (!IsRightToLeft(reference.types[i])) continue;
    if (i > 0 && IsRightToLeft(reference.types[i - 1])) {
      rightToLeftWords.back().second = i + 1;
    } else {
      rightToLeftWords.push_back({i, i + 1});
    }
  }

  for (LONG wrapWidth = 1; wrapWidth <= full + 4; ++wrapWidth) {
    SCOPED_TRACE(testing::Message() << "width " << wrapWidth);
    const DrawnLines lines = Draw(text, direction | DT_WORDBREAK, wrapWidth);
    std::vector<int> lineOf(text.size(), -1);
    for (std::size_t l = 0; l < lines.size(); ++l) {
      for (int index : lines[l]) {
        ASSERT_EQ(-1, lineOf[index]) << "drawn twice: " << index;
        lineOf[index] = static_cast<int>(l);
      }
    }
    for (int i = 0; i < n; ++i) ASSERT_EQ(Inked(i), lineOf[i] >= 0) << "drawn or not: " << i;
    for (const auto& [first, end] : rightToLeftWords) {
      int wordWidth = 0;
      for (int i = first; i < end; ++i) wordWidth += advance[i];
      if (wordWidth > wrapWidth) continue;
      for (int i = first; i < end; ++i) {
        EXPECT_EQ(lineOf[first], lineOf[i]) << "torn at " << i;
      }
    }
    // Lines take the text in stretches, in order, each ordered as the algorithm orders it,
    // also where a word wider than the line is split between glyphs.
    int previousLast = -1;
    for (const std::vector<int>& line : lines) {
      const int first = *std::min_element(line.begin(), line.end());
      const int last = *std::max_element(line.begin(), line.end());
      for (int i = previousLast + 1; i < first; ++i) EXPECT_FALSE(Inked(i)) << "skipped " << i;
      EXPECT_EQ(InkedOrder(reference, first, last + 1), line);
      previousLast = last;
    }
  }
}

const std::u16string kHebrewThenLatin = u"\u05E9\u05DC\u05D5\u05DD abc";        // shalom abc
const std::u16string kHebrewThenDigits = u"\u05E2\u05D1\u05E8\u05D9\u05EA 123";  // ivrit 123
const std::u16string kTwoArabicWords = u"\u0633\u0645\u0643 \u062C\u0628\u0646";

TEST_F(BidiOrderTest, HebrewAndArabicWords) {
  for (bool rightToLeft : {false, true}) {
    CheckText(kHebrewThenLatin, rightToLeft);
    CheckText(kHebrewThenDigits, rightToLeft);
    CheckText(kTwoArabicWords, rightToLeft);
    CheckText(u"\u05D0\u05D1\u05D2 \u05D3\u05D4\u05D5 \u05D6\u05D7\u05D8 \u05D9\u05DB\u05DC",
              rightToLeft);
  }
}

TEST_F(BidiOrderTest, MixedWithDigitsAndLatin) {
  for (bool rightToLeft : {false, true}) {
    // Latin, Hebrew, European digits inside the Hebrew, Hebrew, Latin.
    CheckText(u"abc \u05D0\u05D1\u05D2 123 \u05D3\u05D4\u05D5 xyz", rightToLeft);
    // Arabic around European and Arabic-Indic digits.
    CheckText(u"\u0633\u0645\u0643 45 \u062C\u0628\u0646 \u0664\u0665", rightToLeft);
    CheckText(u"\u062C\u0628\u0646 abc \u0633\u0645\u0643", rightToLeft);
    CheckText(u"Quick \u05E9\u05DE\u05E2 brown", rightToLeft);
    // A number with separators, and mirrored brackets.
    CheckText(u"\u05DE\u05D7\u05D9\u05E8 1,234.5 \u05E9\u05E7\u05DC", rightToLeft);
    CheckText(u"\u05D0\u05D1\u05D2 (\u05D3\u05D4\u05D5) xyz!", rightToLeft);
  }
}

// Embeddings three levels deep (Latin, Hebrew, Latin, Hebrew): words cannot be put in logical
// order and keep the display order by runs of two directions, so they keep the display order.
TEST_F(BidiOrderTest, DeeperEmbeddingsKeepTheDisplayOrderOnOneLine) {
  const std::u16string text =
      u"ab \u202B\u05D0\u05D1 \u202Acd \u202B\u05D2\u05D3\u202C ef\u202C \u05D4\u05D5\u202C gh";
  CheckText(text, false, true);
  CheckText(text, true, true);
}

TEST_F(BidiOrderTest, LatinLinesKeepTheirOrder) {
  CheckText(u"Wax: 4 ", false);
  CheckText(u"By Vq", false);
}

TEST_F(BidiOrderTest, ControlCharactersDrawNothing) {
  const GlyphRecord& a = RecordOf(font, u'A');
  const GlyphRecord& b = RecordOf(font, u'B');
  auto drawnOnly = [&](const std::u16string& text, DWORD format) {
    RecordingSprite sprite;
    RECT rect = {0, 0, 300, 300};
    font->DrawTextW(&sprite, text.data(), static_cast<INT>(text.size()), &rect,
                    format | DT_NOCLIP, 0xFFFFFFFF);
    auto is = [](const font_test::QueuedGlyph& glyph, const GlyphRecord& record) {
      return glyph.texture == record.texture && glyph.source.left == record.left &&
             glyph.source.top == record.top;
    };
    std::vector<const GlyphRecord*> shown;
    for (const font_test::QueuedGlyph& glyph : sprite.drawn) {
      shown.push_back(is(glyph, a) ? &a : is(glyph, b) ? &b : nullptr);
    }
    return shown;
  };
  const std::vector<const GlyphRecord*> ab = {&a, &b};
  EXPECT_EQ(ab, drawnOnly(u"A\rB", 0));
  EXPECT_EQ(ab, drawnOnly(u"A\tB", 0));
  EXPECT_EQ(ab, drawnOnly(u"A\r\nB", DT_SINGLELINE));
  EXPECT_EQ(ab, drawnOnly(u"A\r\nB", DT_RTLREADING));
  const WCHAR defaultChar = font->metrics.tmDefaultChar;
  for (WCHAR c = 0; c < 0x20; ++c) {
    if (c == defaultChar) continue;  // the missing-glyph box by definition
    for (DWORD format : {DWORD{0}, DWORD{DT_SINGLELINE}, DWORD{DT_RTLREADING}}) {
      EXPECT_EQ(ab, drawnOnly(std::u16string{u'A', c, u'B'}, format))
          << int(c) << " under " << format;
    }
  }
}

}  // namespace
