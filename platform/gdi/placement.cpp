// GetCharacterPlacement: glyphs, advances, display order and classes of a text, one glyph per
// character, every list but the caret positions given per glyph position in display order.
#include <algorithm>
#include <vector>

#include "platform/gdi/bidi.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/objects.h"
#include "platform/win32/windows1252.h"

namespace {

// Everything the call can report, before it is copied into the caller's arrays.
struct Layout {
  std::vector<WCHAR> displayText;
  std::vector<WORD> glyphs;   // display order
  std::vector<int> advances;  // display order
  std::vector<UINT> order;    // display order: the character shown at each glyph position
  std::vector<int> caret;     // leading edge of each character
  std::vector<BYTE> classes;  // display order: the class of the character shown
  long long width = 0;
};

// The caller's arrays hold nGlyphs entries; without arrays the whole text is measured.
UINT Capacity(UINT count, const GCP_RESULTSW* results) {
  if (results == nullptr) return count;
  const bool anyArray = results->lpOutString != nullptr || results->lpOrder != nullptr ||
                        results->lpDx != nullptr || results->lpCaretPos != nullptr ||
                        results->lpClass != nullptr || results->lpGlyphs != nullptr;
  return anyArray ? std::min(count, results->nGlyphs) : count;
}

// With GCP_MAXEXTENT only the characters whose widths add up to at most maxExtent count.
UINT FittingCount(gdi::FontFace& face, const WCHAR* text, UINT count, int maxExtent, DWORD flags) {
  if ((flags & GCP_MAXEXTENT) == 0 || maxExtent < 0) return count;
  long long width = 0;
  for (UINT i = 0; i < count; ++i) {
    width += face.Glyph(face.GlyphOfCharacter(text[i])).advance;
    if (width > maxExtent) return i;
  }
  return count;
}

// The paragraph's direction: the GCPCLASS_PREBOUND* bits of the first input class, or else
// the DC's reading order.
bool RightToLeftParagraph(const std::vector<BYTE>& inputClasses, UINT textAlign) {
  if (!inputClasses.empty()) {
    if ((inputClasses[0] & GCPCLASS_PREBOUNDRTL) != 0) return true;
    if ((inputClasses[0] & GCPCLASS_PREBOUNDLTR) != 0) return false;
  }
  return (textAlign & TA_RTLREADING) != 0;
}

// The working arrays of a placement, kept from call to call on each thread: text is placed
// again on every frame, and the arrays keep their capacity.
struct Scratch {
  Layout layout;
  gdi::BidiOrder bidi;
  std::vector<BYTE> inputClasses;
  std::vector<BYTE> forced;  // input classes without the boundary bits: an override, or 0
  std::vector<int> left;
  std::vector<UINT> position;  // display position of each character
  std::vector<WCHAR> wide, output;  // the 8-bit form's text widened, and its output string
};

Scratch& ThreadScratch() {
  thread_local Scratch scratch;
  return scratch;
}

void ForcedClasses(const std::vector<BYTE>& inputClasses, std::vector<BYTE>& forced) {
  forced.resize(inputClasses.size());
  for (std::size_t i = 0; i < forced.size(); ++i) forced[i] = inputClasses[i] & 0x0F;
}

// Caret positions are worked out only when `wantsCarets`.
const Layout& PlaceText(gdi::FontFace& face, const gdi::DcObject& context, const WCHAR* text,
                        UINT count, DWORD flags, bool wantsCarets, Scratch& scratch) {
  const std::vector<BYTE>& forced = scratch.forced;
  ForcedClasses(scratch.inputClasses, scratch.forced);
  gdi::BidiOrder& bidi = scratch.bidi;
  const bool rightToLeft = RightToLeftParagraph(scratch.inputClasses, context.textAlign);
  if ((flags & GCP_REORDER) != 0 && gdi::MayReorder(text, count, forced, rightToLeft)) {
    bidi = gdi::ReorderParagraph(text, count, forced, rightToLeft);
  } else {
    bidi.visual.resize(count);
    for (UINT k = 0; k < count; ++k) bidi.visual[k] = k;
    bidi.rightToLeft.assign(count, false);
  }
  Layout& layout = scratch.layout;
  layout.width = 0;
  layout.displayText.resize(count);
  layout.glyphs.resize(count);
  layout.advances.resize(count);
  layout.order.resize(count);
  layout.classes.resize(count);
  std::vector<UINT>& position = scratch.position;
  position.resize(count);
  for (UINT k = 0; k < count; ++k) {
    const UINT logical = bidi.visual[k];
    const WCHAR character = text[logical];
    position[logical] = k;
    layout.order[k] = logical;
    layout.displayText[k] =
        bidi.rightToLeft[logical] ? gdi::MirroredCharacter(character) : character;
    layout.glyphs[k] = face.GlyphOfCharacter(layout.displayText[k]);
    layout.advances[k] = face.Glyph(layout.glyphs[k]).advance;
    const BYTE own = gdi::ClassOfCharacter(character);
    layout.classes[k] = logical < forced.size() && forced[logical] != 0 ? forced[logical] : own;
  }
  if ((flags & GCP_USEKERNING) != 0 && face.HasKerning()) {
    for (UINT k = 0; k + 1 < count; ++k) {
      layout.advances[k] += face.Kerning(layout.glyphs[k], layout.glyphs[k + 1]);
    }
  }
  std::vector<int>& left = scratch.left;
  left.resize(count);
  for (UINT k = 0; k < count; ++k) {
    left[k] = static_cast<int>(layout.width);
    layout.width += layout.advances[k];
  }
  layout.caret.resize(wantsCarets ? count : 0);
  for (UINT i = 0; i < count && wantsCarets; ++i) {
    const UINT k = position[i];
    layout.caret[i] = bidi.rightToLeft[i] ? left[k] + layout.advances[k] : left[k];
  }
  return layout;
}

template <typename Array, typename Value>
void CopyOut(Array* target, const std::vector<Value>& values) {
  if (target == nullptr) return;
  for (std::size_t i = 0; i < values.size(); ++i) target[i] = static_cast<Array>(values[i]);
}

void WriteResults(const Layout& layout, GCP_RESULTSW* results) {
  CopyOut(results->lpOutString, layout.displayText);
  CopyOut(results->lpOrder, layout.order);
  CopyOut(results->lpDx, layout.advances);
  CopyOut(results->lpCaretPos, layout.caret);
  CopyOut(results->lpClass, layout.classes);
  CopyOut(results->lpGlyphs, layout.glyphs);
  results->nGlyphs = static_cast<UINT>(layout.glyphs.size());
  results->nMaxFit = static_cast<int>(layout.glyphs.size());
}

// Width in the low word, height in the high word.
DWORD Extent(long long width, LONG height) {
  return (static_cast<DWORD>(width) & 0xFFFF) | ((static_cast<DWORD>(height) & 0xFFFF) << 16);
}

// lStructSize is not checked: callers written for 32-bit Windows pass 36, the size there.
DWORD Place(HDC dc, const WCHAR* text, int count, int maxExtent, GCP_RESULTSW* results,
            DWORD flags) {
  gdi::FontFace* face = gdi::FaceOfDc(dc);
  const gdi::DcObject* context = gdi::LookUpDc(dc);
  if (face == nullptr || context == nullptr || text == nullptr || count <= 0) return 0;
  UINT n = Capacity(static_cast<UINT>(count), results);
  n = FittingCount(*face, text, n, maxExtent, flags);
  Scratch& scratch = ThreadScratch();
  scratch.inputClasses.clear();
  if ((flags & GCP_CLASSIN) != 0 && results != nullptr && results->lpClass != nullptr) {
    scratch.inputClasses.assign(results->lpClass, results->lpClass + n);
  }
  const bool wantsCarets = results != nullptr && results->lpCaretPos != nullptr;
  const Layout& layout = PlaceText(*face, *context, text, n, flags, wantsCarets, scratch);
  if (results != nullptr) WriteResults(layout, results);
  return Extent(layout.width, face->Metrics().tmHeight);
}

}  // namespace

DWORD GetCharacterPlacementW(HDC dc, LPCWSTR text, int count, int maxExtent, GCP_RESULTSW* results,
                             DWORD flags) {
  return Place(dc, text, count, maxExtent, results, flags);
}

DWORD GetCharacterPlacementA(HDC dc, LPCSTR text, int count, int maxExtent, GCP_RESULTSA* results,
                             DWORD flags) {
  if (text == nullptr || count <= 0) return 0;
  std::vector<WCHAR>& wide = ThreadScratch().wide;
  std::vector<WCHAR>& output = ThreadScratch().output;
  wide.resize(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    wide[i] = win32::Windows1252ToUnit(static_cast<unsigned char>(text[i]));
  }
  if (results == nullptr) return Place(dc, wide.data(), count, maxExtent, nullptr, flags);
  // The same record with a wide output string, narrowed afterwards.
  output.resize(results->lpOutString != nullptr ? wide.size() : 0);
  GCP_RESULTSW wideResults = {results->lStructSize, output.empty() ? nullptr : output.data(),
                              results->lpOrder,     results->lpDx,
                              results->lpCaretPos,  results->lpClass,
                              results->lpGlyphs,    results->nGlyphs,
                              results->nMaxFit};
  const DWORD extent = Place(dc, wide.data(), count, maxExtent, &wideResults, flags);
  if (extent == 0) return 0;
  for (UINT i = 0; i < wideResults.nGlyphs && !output.empty(); ++i) {
    unsigned char byte = '?';
    win32::UnitToWindows1252(output[i], &byte);
    results->lpOutString[i] = static_cast<char>(byte);
  }
  results->nGlyphs = wideResults.nGlyphs;
  results->nMaxFit = wideResults.nMaxFit;
  return extent;
}
