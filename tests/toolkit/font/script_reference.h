// What a line of text should look like, from the libraries themselves: FriBidi's embedding
// levels and its reordering of a line (trailing white space back to the paragraph's level),
// runs of one level and one script by HarfBuzz's own script property, and HarfBuzz shaping of
// each run on the reference face. Positions are in whole pixels, each advance rounded as the
// shaping module promises.
#pragma once

#include <hb.h>

#include <ostream>
#include <string>
#include <vector>

#include "tests/platform/uniscribe/uniscribe_fixture.h"

namespace sheet_test {

struct PlacedGlyph {
  unsigned glyph = 0;
  long long x = 0;        // the glyph's pen position plus its x offset, from the line's left end
  long long dv = 0;       // y offset, downwards
  long long advance = 0;  // the room it takes on the line
  bool operator==(const PlacedGlyph&) const = default;
};

void PrintTo(const PlacedGlyph& glyph, std::ostream* out);

// The paragraph's resolved embedding levels, one per UTF-16 unit (no surrogates in the sheet).
std::vector<int> ParagraphLevels(const std::u16string& text, bool rightToLeft);

// The characters [first, end) of the paragraph, as one line: reordered by FriBidi and shaped run
// by run. Blank glyphs (of U+0020) at either end of the line take no room, as trailing blanks
// take none in a line's width.
// `features` are handed to every shaping.
std::vector<PlacedGlyph> ReferenceLine(const usp_test::ReferenceFace& face,
                                       const std::u16string& text, bool rightToLeft, int first,
                                       int end, const std::vector<hb_feature_t>& features = {});

// Without the blanks that take no room: they show nothing wherever they stand.
std::vector<PlacedGlyph> WithoutEmptyBlanks(std::vector<PlacedGlyph> glyphs, unsigned blank);

// The width of a run of one direction shaped alone: the sum of its rounded advances.
long long ShapedWidth(const usp_test::ReferenceFace& face, const std::u16string& text,
                      bool rightToLeft);

// The characters of the line in FriBidi's visual order (mirrored where FriBidi mirrors).
std::u16string VisualString(const std::u16string& text, bool rightToLeft);

}  // namespace sheet_test
