#include "tests/toolkit/font/script_reference.h"

#include <fribidi.h>
#include <hb.h>

#include <algorithm>

namespace sheet_test {
namespace {

using usp_test::Px;

struct Bidi {
  std::vector<FriBidiChar> characters;
  std::vector<FriBidiCharType> types;
  std::vector<FriBidiLevel> levels;
  FriBidiParType direction = FRIBIDI_PAR_LTR;
};

Bidi Resolve(const std::u16string& text, bool rightToLeft) {
  Bidi bidi;
  const auto length = static_cast<FriBidiStrIndex>(text.size());
  bidi.characters.assign(text.begin(), text.end());
  bidi.types.resize(text.size());
  bidi.levels.resize(text.size());
  std::vector<FriBidiBracketType> brackets(text.size());
  fribidi_get_bidi_types(bidi.characters.data(), length, bidi.types.data());
  fribidi_get_bracket_types(bidi.characters.data(), length, bidi.types.data(), brackets.data());
  bidi.direction = rightToLeft ? FRIBIDI_PAR_RTL : FRIBIDI_PAR_LTR;
  EXPECT_NE(0, fribidi_get_par_embedding_levels_ex(bidi.types.data(), brackets.data(), length,
                                                   &bidi.direction, bidi.levels.data()));
  return bidi;
}

bool JoinsNeighbours(hb_script_t script) {
  return script == HB_SCRIPT_COMMON || script == HB_SCRIPT_INHERITED || script == HB_SCRIPT_UNKNOWN;
}

struct Run {
  int first = 0;
  int end = 0;
  int level = 0;
};

// Runs of [first, end) with one level and one script; common and inherited characters take the
// script before them, or at the start of a level run the first one after them.
std::vector<Run> RunsOf(const std::u16string& text, const std::vector<FriBidiLevel>& levels,
                        int first, int end) {
  hb_unicode_funcs_t* unicode = hb_unicode_funcs_get_default();
  std::vector<hb_script_t> scripts(text.size());
  for (int i = first; i < end; ++i) scripts[i] = hb_unicode_script(unicode, text[i]);
  std::vector<Run> runs;
  for (int from = first; from < end;) {
    int to = from + 1;
    while (to < end && levels[to] == levels[from]) ++to;
    hb_script_t current = HB_SCRIPT_COMMON;
    for (int i = from; i < to && current == HB_SCRIPT_COMMON; ++i) {
      if (!JoinsNeighbours(scripts[i])) current = scripts[i];
    }
    for (int i = from; i < to; ++i) {
      if (JoinsNeighbours(scripts[i])) {
        scripts[i] = current;
      } else {
        current = scripts[i];
      }
      if (i == from || scripts[i] != scripts[i - 1]) runs.push_back({i, i, levels[from]});
      runs.back().end = i + 1;
    }
    from = to;
  }
  return runs;
}

}  // namespace

void PrintTo(const PlacedGlyph& glyph, std::ostream* out) {
  *out << "{glyph " << glyph.glyph << " at " << glyph.x << " +" << glyph.advance;
  if (glyph.dv != 0) *out << ", dv " << glyph.dv;
  *out << "}";
}

std::vector<int> ParagraphLevels(const std::u16string& text, bool rightToLeft) {
  const Bidi bidi = Resolve(text, rightToLeft);
  return std::vector<int>(bidi.levels.begin(), bidi.levels.end());
}

std::vector<PlacedGlyph> ReferenceLine(const usp_test::ReferenceFace& face,
                                       const std::u16string& text, bool rightToLeft, int first,
                                       int end, const std::vector<hb_feature_t>& features) {
  Bidi bidi = Resolve(text, rightToLeft);
  // FriBidi's order of the line: which logical character each visual position shows, and the
  // levels with the line's trailing white space back at the paragraph's level.
  std::vector<FriBidiStrIndex> map(text.size());
  for (std::size_t i = 0; i < map.size(); ++i) map[i] = static_cast<FriBidiStrIndex>(i);
  EXPECT_NE(0, fribidi_reorder_line(0, bidi.types.data(), end - first, first, bidi.direction,
                                    bidi.levels.data(), nullptr, map.data()));
  std::vector<int> visualIndex(text.size());
  for (int v = first; v < end; ++v) visualIndex[map[v]] = v;
  std::vector<Run> runs = RunsOf(text, bidi.levels, first, end);
  // A run is contiguous on the screen too; its leftmost character places it.
  auto leftmost = [&](const Run& run) {
    int left = end;
    for (int i = run.first; i < run.end; ++i) left = std::min(left, visualIndex[i]);
    return left;
  };
  std::sort(runs.begin(), runs.end(),
            [&](const Run& a, const Run& b) { return leftmost(a) < leftmost(b); });

  struct Shaped {
    unsigned glyph;
    int advance;
    int du;
    int dv;
  };
  std::vector<Shaped> shaped;
  for (const Run& run : runs) {
    const std::u16string part = text.substr(run.first, run.end - run.first);
    for (const usp_test::RefGlyph& g : face.Shape(part, (run.level & 1) != 0, features)) {
      shaped.push_back({g.glyph, Px(g.advance), Px(g.offsetX), -Px(g.offsetY)});
    }
  }
  const unsigned blank = face.GlyphOf(U' ');
  for (std::size_t i = 0; i < shaped.size() && shaped[i].glyph == blank; ++i) {
    shaped[i].advance = 0;
  }
  for (std::size_t i = shaped.size(); i > 0 && shaped[i - 1].glyph == blank; --i) {
    shaped[i - 1].advance = 0;
  }
  std::vector<PlacedGlyph> placed;
  long long pen = 0;
  for (const Shaped& g : shaped) {
    placed.push_back({g.glyph, pen + g.du, g.dv, g.advance});
    pen += g.advance;
  }
  return placed;
}

std::vector<PlacedGlyph> WithoutEmptyBlanks(std::vector<PlacedGlyph> glyphs, unsigned blank) {
  std::erase_if(glyphs, [&](const PlacedGlyph& g) { return g.glyph == blank && g.advance == 0; });
  return glyphs;
}

long long ShapedWidth(const usp_test::ReferenceFace& face, const std::u16string& text,
                      bool rightToLeft) {
  long long width = 0;
  for (const usp_test::RefGlyph& g : face.Shape(text, rightToLeft)) width += Px(g.advance);
  return width;
}

std::u16string VisualString(const std::u16string& text, bool rightToLeft) {
  const Bidi resolved = Resolve(text, rightToLeft);
  std::vector<FriBidiChar> visual(text.size() + 1);
  FriBidiParType direction = resolved.direction;
  EXPECT_NE(0,
            fribidi_log2vis(resolved.characters.data(), static_cast<FriBidiStrIndex>(text.size()),
                            &direction, visual.data(), nullptr, nullptr, nullptr));
  return std::u16string(visual.begin(), visual.begin() + static_cast<long>(text.size()));
}

}  // namespace sheet_test
