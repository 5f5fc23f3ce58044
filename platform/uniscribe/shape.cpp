// ScriptShape, ScriptPlace and ScriptGetFontProperties with the shaper of the DC's face.
#include <unicode/uchar.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/uniscribe/script_cache.h"
#include "platform/uniscribe/uniscribe.h"

namespace {

using uniscribe::Pixels;
using uniscribe::ShapedGlyph;

// Logical clusters index glyphs with a WORD.
constexpr std::size_t kMostGlyphs = 0x10000;
constexpr WORD kNoKashida = 0xFFFF;

// For each character, the glyph of its cluster that comes first in reading order: the lowest
// index when glyphs are in logical order, the highest when a right-to-left run is in visual
// order. Characters that shaping merged away belong to the cluster before them.
std::vector<WORD> LogicalClusters(const std::vector<ShapedGlyph>& glyphs, int length,
                                  bool highestFirst) {
  std::vector<int> firstGlyph(static_cast<std::size_t>(length), -1);
  for (std::size_t j = 0; j < glyphs.size(); ++j) {
    const auto cluster = static_cast<std::size_t>(glyphs[j].cluster);
    if (cluster >= firstGlyph.size()) continue;
    // j grows: the first one seen is the lowest, the last one the highest.
    if (firstGlyph[cluster] < 0 || highestFirst) firstGlyph[cluster] = static_cast<int>(j);
  }
  // Characters before the first cluster that exists belong to it.
  int current = 0;
  for (int first : firstGlyph) {
    if (first >= 0) {
      current = first;
      break;
    }
  }
  std::vector<WORD> clusters(static_cast<std::size_t>(length));
  for (int i = 0; i < length; ++i) {
    const int first = firstGlyph[static_cast<std::size_t>(i)];
    if (first >= 0) current = first;
    clusters[static_cast<std::size_t>(i)] = static_cast<WORD>(current);
  }
  return clusters;
}

SCRIPT_VISATTR VisualAttributes(const uniscribe::Shaper& shaper, const ShapedGlyph& glyph,
                                bool clusterStart, WCHAR firstCharacter) {
  SCRIPT_VISATTR attributes{};
  attributes.fClusterStart = clusterStart;
  attributes.fZeroWidth = glyph.zeroWidth;
  // A mark by the face's glyph classes, or a glyph that shaping hung on its cluster's first.
  attributes.fDiacritic =
      !glyph.zeroWidth && (shaper.IsMark(glyph.glyph) || (!clusterStart && glyph.advance == 0));
  if (glyph.zeroWidth || attributes.fDiacritic) {
    attributes.uJustification = SCRIPT_JUSTIFY_NONE;
  } else if (clusterStart && u_isUWhiteSpace(firstCharacter)) {
    attributes.uJustification = SCRIPT_JUSTIFY_BLANK;
  } else {
    attributes.uJustification = SCRIPT_JUSTIFY_CHARACTER;
  }
  return attributes;
}

bool SameGlyphs(const std::vector<ShapedGlyph>& shaped, const WORD* glyphs, int count) {
  if (shaped.size() != static_cast<std::size_t>(count)) return false;
  for (int i = 0; i < count; ++i) {
    if (shaped[static_cast<std::size_t>(i)].glyph != glyphs[i]) return false;
  }
  return true;
}

long long FloorDiv64(long long value) { return value >= 0 ? value / 64 : -((-value + 63) / 64); }

int ClampedInt(long long value) {
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

// A + B + C is the sum of the advances; A and C are the space before and after the ink.
ABC RunExtent(const uniscribe::Shaper& shaper, const WORD* glyphs, int count,
              const SCRIPT_VISATTR* visAttrs, const int* advances, const GOFFSET* offsets) {
  long long pen = 0;
  long long inkLeft = LLONG_MAX;
  long long inkRight = LLONG_MIN;
  for (int i = 0; i < count; ++i) {
    int left = 0;
    int right = 0;
    if (!visAttrs[i].fZeroWidth && shaper.InkExtent(glyphs[i], &left, &right)) {
      const long long origin = (pen + offsets[i].du) * 64;
      inkLeft = std::min(inkLeft, origin + left);
      inkRight = std::max(inkRight, origin + right);
    }
    pen += advances[i];
  }
  if (inkLeft > inkRight) {
    const long long width = std::max<long long>(pen, 0);
    return ABC{0, static_cast<UINT>(std::min<long long>(width, UINT_MAX)), ClampedInt(pen - width)};
  }
  const long long a = FloorDiv64(inkLeft);
  const long long right = -FloorDiv64(-inkRight);
  return ABC{ClampedInt(a), static_cast<UINT>(std::min<long long>(right - a, UINT_MAX)),
             ClampedInt(pen - right)};
}

}  // namespace

namespace {

// What changes the shaping of a text with one face.
std::uint32_t ShapingFlags(const SCRIPT_ANALYSIS& analysis) {
  return std::uint32_t{analysis.eScript} | std::uint32_t{analysis.fRTL} << 10 |
         std::uint32_t{analysis.fLogicalOrder} << 11 |
         std::uint32_t{analysis.s.fInhibitLigate} << 12;
}

// Shapes the text with the shaper; E_OUTOFMEMORY when memory runs out, E_INVALIDARG past the
// glyphs a WORD can index.
HRESULT ShapeWord(const uniscribe::Shaper& shaper, const WCHAR* text, int length,
                  const SCRIPT_ANALYSIS& analysis, uniscribe::ShapedWord& word) {
  uniscribe::ShapingRequest request;
  request.text = text;
  request.contextLength = length;
  request.length = length;
  request.rightToLeft = analysis.fRTL;
  request.scriptId = analysis.eScript;
  request.inhibitLigatures = analysis.s.fInhibitLigate;
  std::vector<ShapedGlyph>& shaped = word.shaped;
  if (!shaper.Shape(request, shaped)) return E_OUTOFMEMORY;
  // Every character merged away (invisible ones in a face without a blank): one blank glyph.
  if (shaped.empty()) shaped.push_back(ShapedGlyph{shaper.BlankGlyph(), 0, 0, 0, 0, true});
  if (shaped.size() > kMostGlyphs) return E_INVALIDARG;
  const bool logicalOrder = analysis.fRTL && analysis.fLogicalOrder;
  if (logicalOrder) std::reverse(shaped.begin(), shaped.end());
  word.clusters = LogicalClusters(shaped, length, analysis.fRTL && !logicalOrder);
  std::vector<bool> clusterStart(shaped.size(), false);
  for (WORD first : word.clusters) clusterStart[first] = true;
  word.glyphs.resize(shaped.size());
  word.visAttrs.resize(shaped.size());
  for (std::size_t j = 0; j < shaped.size(); ++j) {
    word.glyphs[j] = shaped[j].glyph;
    const int cluster = shaped[j].cluster;
    const WCHAR first = cluster >= 0 && cluster < length ? text[cluster] : WCHAR{0};
    word.visAttrs[j] = VisualAttributes(shaper, shaped[j], clusterStart[j], first);
  }
  return S_OK;
}

}  // namespace

HRESULT ScriptShape(HDC dc, SCRIPT_CACHE* cache, const WCHAR* text, int length, int maxGlyphs,
                    SCRIPT_ANALYSIS* analysis, WORD* glyphs, WORD* clusters,
                    SCRIPT_VISATTR* visAttrs, int* glyphCount) {
  if (text == nullptr || length <= 0 || maxGlyphs <= 0 || analysis == nullptr ||
      glyphs == nullptr || clusters == nullptr || visAttrs == nullptr || glyphCount == nullptr) {
    return E_INVALIDARG;
  }
  uniscribe::ScriptCacheData* data = nullptr;
  const HRESULT resolved = uniscribe::ResolveCache(dc, cache, &data);
  if (FAILED(resolved)) return resolved;
  // Words come again frame after frame: their shaping with this face is kept.
  const uniscribe::AnswerKey key{std::u16string_view(text, std::size_t(length)),
                                 ShapingFlags(*analysis)};
  const uniscribe::ShapedWord* word = data->shapedWords.Find(key);
  thread_local uniscribe::ShapedWord made;
  if (word == nullptr) {
    const HRESULT result = ShapeWord(*data->shaper, text, length, *analysis, made);
    if (FAILED(result)) return result;
    word = &made;
    const uniscribe::ShapedWord* kept = data->shapedWords.Keep(
        key, made, uniscribe::ShapedWordBudget(), uniscribe::ShapedWordTotals());
    if (kept != nullptr) word = kept;
  }
  if (word->glyphs.size() > static_cast<std::size_t>(maxGlyphs)) return E_OUTOFMEMORY;
  std::copy(word->glyphs.begin(), word->glyphs.end(), glyphs);
  std::copy(word->visAttrs.begin(), word->visAttrs.end(), visAttrs);
  std::copy(word->clusters.begin(), word->clusters.end(), clusters);
  *glyphCount = static_cast<int>(word->glyphs.size());
  data->lastShaped.assign(word->shaped.begin(), word->shaped.end());
  return S_OK;
}

HRESULT ScriptPlace(HDC dc, SCRIPT_CACHE* cache, const WORD* glyphs, int count,
                    const SCRIPT_VISATTR* visAttrs, SCRIPT_ANALYSIS* analysis, int* advances,
                    GOFFSET* offsets, ABC* extent) {
  if (glyphs == nullptr || count <= 0 || visAttrs == nullptr || analysis == nullptr ||
      advances == nullptr) {
    return E_INVALIDARG;
  }
  uniscribe::ScriptCacheData* data = nullptr;
  const HRESULT resolved = uniscribe::ResolveCache(dc, cache, &data);
  if (FAILED(resolved)) return resolved;
  const uniscribe::Shaper& shaper = *data->shaper;
  const bool shapedHere = SameGlyphs(data->lastShaped, glyphs, count);
  thread_local std::vector<int> placed;
  thread_local std::vector<GOFFSET> moved;
  placed.assign(static_cast<std::size_t>(count), 0);
  moved.assign(static_cast<std::size_t>(count), GOFFSET{0, 0});
  for (int i = 0; i < count; ++i) {
    const auto k = static_cast<std::size_t>(i);
    if (shapedHere) {
      const ShapedGlyph& glyph = data->lastShaped[k];
      placed[k] = Pixels(glyph.advance);
      // HarfBuzz measures y upwards; here it grows downwards.
      moved[k] = GOFFSET{Pixels(glyph.offsetX), -Pixels(glyph.offsetY)};
    } else {
      placed[k] = visAttrs[i].fZeroWidth ? 0 : Pixels(shaper.PlainAdvance(glyphs[i]));
    }
  }
  if (extent != nullptr) {
    *extent = RunExtent(shaper, glyphs, count, visAttrs, placed.data(), moved.data());
  }
  std::copy(placed.begin(), placed.end(), advances);
  if (offsets != nullptr) std::copy(moved.begin(), moved.end(), offsets);
  return S_OK;
}

HRESULT ScriptGetFontProperties(HDC dc, SCRIPT_CACHE* cache, SCRIPT_FONTPROPERTIES* properties) {
  if (properties == nullptr || properties->cBytes != sizeof(SCRIPT_FONTPROPERTIES)) {
    return E_INVALIDARG;
  }
  uniscribe::ScriptCacheData* data = nullptr;
  const HRESULT resolved = uniscribe::ResolveCache(dc, cache, &data);
  if (FAILED(resolved)) return resolved;
  const uniscribe::Shaper& shaper = *data->shaper;
  properties->wgBlank = shaper.BlankGlyph();
  properties->wgDefault = 0;  // what shaping gives for a character the face lacks
  properties->wgInvalid = shaper.GlyphOf(U'\u25CC');  // the dotted circle, or else glyph 0
  const WORD kashida = shaper.GlyphOf(U'\u0640');
  properties->wgKashida = kashida != 0 ? kashida : kNoKashida;
  properties->iKashidaWidth = kashida != 0 ? Pixels(shaper.PlainAdvance(kashida)) : 0;
  return S_OK;
}
