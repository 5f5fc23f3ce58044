// Whole strings: itemised, shaped item by item with fallback faces for the characters the DC's
// face lacks, laid out left to right, and painted as ExtTextOutW paints glyphs.
#include <unicode/uchar.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <new>
#include <vector>

#include "platform/gdi/glyph_painting.h"
#include "platform/gdi/objects.h"
#include "platform/uniscribe/fallback.h"
#include "platform/uniscribe/itemize.h"
#include "platform/uniscribe/script_cache.h"
#include "platform/uniscribe/uniscribe.h"

namespace {

using uniscribe::FallbackFace;
using uniscribe::Pixels;
using uniscribe::ShapedGlyph;

constexpr DWORD kAcceptedFlags = SSA_GLYPHS | SSA_FALLBACK | SSA_LINK | SSA_RTL;
constexpr int kDcFace = -1;  // face slot of the DC's own face

struct AnalysedGlyph {
  int faceSlot = kDcFace;  // kDcFace or an index into `fallbacks`
  WORD glyph = 0;
  long long x = 0;  // pen position plus offset, from the string's left end
  long long y = 0;  // offset from the baseline, downwards
};

struct CharacterEdges {
  long long left = 0;
  long long right = 0;
  bool rightToLeft = false;
};

struct StringAnalysis {
  HDC dc = nullptr;
  std::shared_ptr<uniscribe::Shaper> dcShaper;  // names (and keeps) the face analysed with
  std::vector<std::shared_ptr<FallbackFace>> fallbacks;
  std::vector<AnalysedGlyph> glyphs;  // left to right
  std::vector<CharacterEdges> characters;
  SIZE size{};
};

// Characters of one item drawn with one face.
struct FaceRun {
  int start = 0;
  int end = 0;
  int faceSlot = kDcFace;
  std::vector<ShapedGlyph> glyphs;
};

char32_t CodePointAt(const WCHAR* text, int length, int at, int* units) {
  const char32_t c = text[at];
  *units = 1;
  if (c >= 0xD800 && c <= 0xDBFF && at + 1 < length && text[at + 1] >= 0xDC00 &&
      text[at + 1] <= 0xDFFF) {
    *units = 2;
    return 0x10000 + ((c - 0xD800) << 10) + (text[at + 1] - 0xDC00);
  }
  return c >= 0xD800 && c <= 0xDFFF ? 0xFFFD : c;
}

bool IsMark(char32_t c) {
  const int8_t type = u_charType(static_cast<UChar32>(c));
  return type == U_NON_SPACING_MARK || type == U_ENCLOSING_MARK || type == U_COMBINING_SPACING_MARK;
}

bool IsControl(char32_t c) { return c < 0x20 || c == 0x7F; }

// Chooses a face for every character and cuts [start, end) into runs of one face.
class FaceChooser {
 public:
  FaceChooser(const uniscribe::Shaper& dcShaper, std::shared_ptr<uniscribe::FallbackFaces> source,
              StringAnalysis& analysis)
      : dcShaper_(dcShaper), source_(std::move(source)), analysis_(analysis) {}

  std::vector<FaceRun> Runs(const WCHAR* text, int length, int start, int end) {
    std::vector<FaceRun> runs;
    int previous = kDcFace;
    for (int at = start, units = 1; at < end; at += units) {
      const char32_t c = CodePointAt(text, length, at, &units);
      const int slot = at == start ? Choose(c, kDcFace, false) : Choose(c, previous, true);
      if (runs.empty() || runs.back().faceSlot != slot) runs.push_back({at, at, slot, {}});
      runs.back().end = at + units;
      previous = slot;
    }
    return runs;
  }

 private:
  const uniscribe::Shaper& ShaperOf(int slot) const {
    return slot == kDcFace ? dcShaper_
                           : *analysis_.fallbacks[static_cast<std::size_t>(slot)]->shaper;
  }

  int Choose(char32_t c, int previous, bool hasPrevious) {
    if (IsControl(c)) return kDcFace;
    // Invisible characters (joiners, variation selectors) and marks stay with their base.
    const bool attaches = IsMark(c) || u_hasBinaryProperty(static_cast<UChar32>(c),
                                                           UCHAR_DEFAULT_IGNORABLE_CODE_POINT);
    if (attaches && hasPrevious && (ShaperOf(previous).GlyphOf(c) != 0 || !IsMark(c))) {
      return previous;
    }
    if (dcShaper_.GlyphOf(c) != 0 || !source_) return kDcFace;
    const std::shared_ptr<FallbackFace> face = source_->FaceFor(c);
    if (!face) return kDcFace;  // no face has it: the DC's face shows its missing glyph
    for (std::size_t i = 0; i < analysis_.fallbacks.size(); ++i) {
      if (analysis_.fallbacks[i] == face) return static_cast<int>(i);
    }
    analysis_.fallbacks.push_back(face);
    return static_cast<int>(analysis_.fallbacks.size() - 1);
  }

  const uniscribe::Shaper& dcShaper_;
  std::shared_ptr<uniscribe::FallbackFaces> source_;
  StringAnalysis& analysis_;
};

// Gives each character of a shaped run its share of its cluster's extent. `left` holds the
// run's pen positions, in the glyphs' order.
void SetCharacterEdges(const FaceRun& run, const std::vector<long long>& left, bool rightToLeft,
                       std::vector<CharacterEdges>& characters) {
  const auto span = static_cast<std::size_t>(run.end - run.start);
  std::vector<long long> clusterLeft(span, LLONG_MAX);
  std::vector<long long> clusterRight(span, LLONG_MIN);
  for (std::size_t j = 0; j < run.glyphs.size(); ++j) {
    const auto at = static_cast<std::size_t>(run.glyphs[j].cluster - run.start);
    if (at >= span) continue;
    clusterLeft[at] = std::min(clusterLeft[at], left[j]);
    clusterRight[at] = std::max(clusterRight[at], left[j] + Pixels(run.glyphs[j].advance));
  }
  // Characters without a cluster of their own share the one before them (or the first one).
  std::size_t first = 0;
  while (first < span && clusterLeft[first] == LLONG_MAX) ++first;
  if (first == span) {  // no glyph at all: the run takes no room
    const long long x = left.empty() ? 0 : left.front();
    for (std::size_t i = 0; i < span; ++i) characters[run.start + i] = {x, x, rightToLeft};
    return;
  }
  for (std::size_t i = 0; i < span;) {
    const std::size_t cluster = std::max(i, first);
    std::size_t end = cluster + 1;
    while (end < span && clusterLeft[end] == LLONG_MAX) ++end;
    const long long l = clusterLeft[cluster];
    const long long r = clusterRight[cluster];
    const auto n = static_cast<long long>(end - i);
    for (std::size_t k = 0; k < end - i; ++k) {
      const auto kk = static_cast<long long>(k);
      CharacterEdges& edges = characters[run.start + i + k];
      edges.rightToLeft = rightToLeft;
      if (rightToLeft) {
        edges.right = r - (r - l) * kk / n;
        edges.left = r - (r - l) * (kk + 1) / n;
      } else {
        edges.left = l + (r - l) * kk / n;
        edges.right = l + (r - l) * (kk + 1) / n;
      }
    }
    i = end;
  }
}

StringAnalysis* Live(SCRIPT_STRING_ANALYSIS handle) {
  return uniscribe::LiveStringAnalyses().Contains(handle) ? static_cast<StringAnalysis*>(handle)
                                                          : nullptr;
}

// Shapes and lays out the analysis's text; E_OUTOFMEMORY past maxGlyphs glyphs.
HRESULT Analyse(StringAnalysis& analysis, const WCHAR* text, int length, int maxGlyphs, DWORD flags,
                const SCRIPT_STATE& state, const gdi::FontFace& dcFace) {
  std::vector<uniscribe::ItemRun> items;
  if (!uniscribe::FindItems(text, length, state, items)) return E_OUTOFMEMORY;
  const bool fallback = (flags & (SSA_FALLBACK | SSA_LINK)) != 0;
  FaceChooser chooser(*analysis.dcShaper,
                      fallback ? uniscribe::FallbackFaces::For(dcFace) : nullptr, analysis);
  std::vector<std::vector<FaceRun>> runs(items.size());
  std::size_t glyphTotal = 0;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const int end = i + 1 < items.size() ? items[i + 1].start : length;
    runs[i] = chooser.Runs(text, length, items[i].start, end);
    for (FaceRun& run : runs[i]) {
      const uniscribe::Shaper& shaper =
          run.faceSlot == kDcFace
              ? *analysis.dcShaper
              : *analysis.fallbacks[static_cast<std::size_t>(run.faceSlot)]->shaper;
      uniscribe::ShapingRequest request;
      request.text = text;
      request.contextLength = length;
      request.start = run.start;
      request.length = run.end - run.start;
      request.rightToLeft = (items[i].level & 1) != 0;
      request.scriptId = items[i].scriptId;
      request.inhibitLigatures = state.fInhibitLigate;
      if (!shaper.Shape(request, run.glyphs)) return E_OUTOFMEMORY;
      glyphTotal += run.glyphs.size();
      if (glyphTotal > static_cast<std::size_t>(maxGlyphs)) return E_OUTOFMEMORY;
    }
  }
  analysis.characters.resize(static_cast<std::size_t>(length));
  long long pen = 0;
  for (int itemIndex : uniscribe::VisualItemOrder(items)) {
    const auto item = static_cast<std::size_t>(itemIndex);
    const bool rightToLeft = (items[item].level & 1) != 0;
    std::vector<FaceRun>& itemRuns = runs[item];
    // Each run's glyphs are left to right already; the runs of a right-to-left item are not.
    if (rightToLeft) std::reverse(itemRuns.begin(), itemRuns.end());
    for (const FaceRun& run : itemRuns) {
      std::vector<long long> left(run.glyphs.size());
      for (std::size_t j = 0; j < run.glyphs.size(); ++j) {
        const ShapedGlyph& glyph = run.glyphs[j];
        left[j] = pen;
        analysis.glyphs.push_back({run.faceSlot, glyph.glyph, pen + Pixels(glyph.offsetX),
                                   -static_cast<long long>(Pixels(glyph.offsetY))});
        pen += Pixels(glyph.advance);
      }
      SetCharacterEdges(run, left, rightToLeft, analysis.characters);
    }
  }
  analysis.size =
      SIZE{static_cast<LONG>(std::clamp<long long>(pen, 0, INT_MAX)), dcFace.Metrics().tmHeight};
  return S_OK;
}

}  // namespace

HRESULT ScriptStringAnalyse(HDC dc, const void* text, int length, int maxGlyphs, int charset,
                            DWORD flags, int requiredWidth, SCRIPT_CONTROL* control,
                            SCRIPT_STATE* state, const int* dx, SCRIPT_TABDEF* tabs,
                            const BYTE* inClass, SCRIPT_STRING_ANALYSIS* analysis) {
  (void)requiredWidth;  // only read for clipping and fitting, which are not offered
  (void)control;
  (void)tabs;  // only read with SSA_TAB, which is not offered
  if (dc == nullptr || text == nullptr || length <= 0 || maxGlyphs <= 0 || charset != -1 ||
      (flags & ~kAcceptedFlags) != 0 || dx != nullptr || inClass != nullptr ||
      analysis == nullptr) {
    return E_INVALIDARG;
  }
  const gdi::FontFace* dcFace = gdi::FaceOfDc(dc);
  if (dcFace == nullptr) return E_INVALIDARG;
  std::unique_ptr<StringAnalysis> made(new (std::nothrow) StringAnalysis);
  if (!made) return E_OUTOFMEMORY;
  made->dc = dc;
  made->dcShaper = uniscribe::Shaper::ForFace(*dcFace);
  if (!made->dcShaper) return E_OUTOFMEMORY;
  SCRIPT_STATE paragraph = state != nullptr ? *state : SCRIPT_STATE{};
  if ((flags & SSA_RTL) != 0 && (paragraph.uBidiLevel & 1) == 0) ++paragraph.uBidiLevel;
  const HRESULT result =
      Analyse(*made, static_cast<const WCHAR*>(text), length, maxGlyphs, flags, paragraph, *dcFace);
  if (FAILED(result)) return result;
  uniscribe::LiveStringAnalyses().Add(made.get());
  *analysis = made.release();
  return S_OK;
}

HRESULT ScriptStringOut(SCRIPT_STRING_ANALYSIS handle, int x, int y, UINT options, const RECT* clip,
                        int selectionFirst, int selectionEnd, BOOL disabled) {
  (void)selectionFirst;  // selections are not drawn
  (void)selectionEnd;
  (void)disabled;
  StringAnalysis* analysis = Live(handle);
  if (analysis == nullptr || (options & ~UINT{ETO_OPAQUE | ETO_CLIPPED}) != 0) return E_INVALIDARG;
  gdi::FontFace* dcFace = gdi::FaceOfDc(analysis->dc);
  // The DC must still hold the face the string was shaped with.
  if (dcFace == nullptr || dcFace->FreeTypeFace() != analysis->dcShaper->Face()) {
    return E_INVALIDARG;
  }
  std::vector<gdi::PlacedGlyph> placed;
  placed.reserve(analysis->glyphs.size());
  for (const AnalysedGlyph& glyph : analysis->glyphs) {
    gdi::FontFace* face =
        glyph.faceSlot == kDcFace
            ? dcFace
            : analysis->fallbacks[static_cast<std::size_t>(glyph.faceSlot)]->face.get();
    placed.push_back({face, glyph.glyph, glyph.x, glyph.y});
  }
  return gdi::PaintPlacedGlyphs(analysis->dc, x, y, options, clip, analysis->size.cx, placed)
             ? S_OK
             : E_FAIL;
}

HRESULT ScriptStringCPtoX(SCRIPT_STRING_ANALYSIS handle, int position, BOOL trailing, int* x) {
  const StringAnalysis* analysis = Live(handle);
  if (analysis == nullptr || x == nullptr || position < 0 ||
      static_cast<std::size_t>(position) >= analysis->characters.size()) {
    return E_INVALIDARG;
  }
  const CharacterEdges& edges = analysis->characters[static_cast<std::size_t>(position)];
  const bool right = (trailing != FALSE) != edges.rightToLeft;
  *x = static_cast<int>(std::clamp<long long>(right ? edges.right : edges.left, INT_MIN, INT_MAX));
  return S_OK;
}

const SIZE* ScriptString_pSize(SCRIPT_STRING_ANALYSIS handle) {
  const StringAnalysis* analysis = Live(handle);
  return analysis != nullptr ? &analysis->size : nullptr;
}

HRESULT ScriptStringFree(SCRIPT_STRING_ANALYSIS* handle) {
  if (handle == nullptr) return E_INVALIDARG;
  StringAnalysis* analysis = Live(*handle);
  if (analysis == nullptr) return E_INVALIDARG;
  uniscribe::LiveStringAnalyses().Remove(analysis);
  delete analysis;
  *handle = nullptr;
  return S_OK;
}
