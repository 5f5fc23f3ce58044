// Runs drawn whole by the shaping services (with fallback fonts) and cut into pieces of at most
// one run cell, cached by their characters in a tree of nodes.
#include <algorithm>
#include <climits>

#include "toolkit/common/allocation.h"
#include "toolkit/common/result.h"
#include "toolkit/font/cached_font.h"
#include "toolkit/font/text_services.h"

namespace {

// Runs drawn right to left are kept apart from the same characters drawn left to right: their
// walk starts at a node for the right-to-left mark.
constexpr WCHAR rightToLeftKey = 0x200F;

// The node of a run's last character, made (with any missing nodes before it) when new.
HRESULT FindRunNode(RunCacheNode** slot, const WCHAR* text, INT length, bool rightToLeft,
                    RunCacheNode** out) {
  RunCacheNode* node = nullptr;
  for (INT i = rightToLeft ? -1 : 0; i < length; ++i) {
    const WCHAR c = i < 0 ? rightToLeftKey : text[i];
    while (*slot != nullptr && (*slot)->character > c) slot = &(*slot)->sibling;
    if (*slot == nullptr || (*slot)->character < c) {
      auto* fresh = static_cast<RunCacheNode*>(AllocateBytes(sizeof(RunCacheNode)));
      if (fresh == nullptr) return E_OUTOFMEMORY;
      *fresh = RunCacheNode{c, nullptr, *slot, -1, nullptr, nullptr};
      *slot = fresh;
    }
    node = *slot;
    slot = &node->child;
  }
  *out = node;
  return S_OK;
}

struct RunPiece {
  INT left;
  INT width;
};

// Calls `piece`(left, width) for every piece of [from, to): cut from the left into pieces of at
// most `limit` pixels.
template <typename Piece>
HRESULT ForEachPiece(INT from, INT to, INT limit, Piece piece) {
  for (INT left = from; left < to; left += limit) {
    const HRESULT result = piece(left, std::min(limit, to - left));
    if (FAILED(result)) return result;
  }
  return S_OK;
}

}  // namespace

HRESULT CachedFont::RenderRun(const WCHAR* text, INT length, BOOL rightToLeft,
                              INT* pieceCountOut, GlyphRecord** piecesOut,
                              INT** pieceWidthsOut) {
  if (length <= 0) return D3DERR_INVALIDCALL;
  RunCacheNode* node = nullptr;
  HRESULT result = FindRunNode(&runCache, text, length, rightToLeft != FALSE, &node);
  if (FAILED(result)) return result;
  if (node->pieceCount == -1) {
    const TextServices& services = SharedTextServices();
    const DWORD flags = SSA_GLYPHS | SSA_FALLBACK | SSA_LINK | (rightToLeft ? SSA_RTL : 0);
    SCRIPT_STRING_ANALYSIS analysis = nullptr;
    const int maxGlyphs = static_cast<int>(std::min<long long>(length * 3LL / 2 + 16, INT_MAX));
    result = services.scriptStringAnalyse(dc, text, length, maxGlyphs, -1, flags, 0, &scriptControl,
                                          &scriptState, nullptr, nullptr, nullptr, &analysis);
    if (FAILED(result)) return result;
    result = CutRunIntoPieces(analysis, length, *node);
    services.scriptStringFree(&analysis);
    if (FAILED(result)) return result;
  }
  *pieceCountOut = node->pieceCount;
  *piecesOut = node->pieces;
  *pieceWidthsOut = node->pieceWidths;
  return S_OK;
}

// Draws an analysed run on the surface (widened when the run needs it) and cuts it into the
// node's pieces: the spans between successive trailing caret edges, each cut from its left end
// into pieces of at most one run cell. The pieces are kept left to right, as glyphs of a word
// are, whichever way the run reads.
HRESULT CachedFont::CutRunIntoPieces(SCRIPT_STRING_ANALYSIS analysis, INT length,
                                     RunCacheNode& node) {
  const TextServices& services = SharedTextServices();
  const SIZE* measured = services.scriptStringSize(analysis);
  if (measured == nullptr) return E_FAIL;
  const SIZE size = *measured;
  if (size.cx > surfaceWidth) {
    HBITMAP wider = nullptr;
    void* bits = nullptr;
    if (FAILED(MakeSurface(size.cx, surfaceHeight, &wider, &bits))) return E_OUTOFMEMORY;
    SelectObject(dc, wider);
    DeleteObject(surface);
    surface = wider;
    surfaceBits = static_cast<std::uint32_t*>(bits);
    surfaceWidth = size.cx;
  }
  const INT runHeight = std::min<INT>(size.cy, surfaceHeight);
  HRESULT result = services.scriptStringOut(analysis, 0, 0, ETO_OPAQUE, nullptr, 0, 0, FALSE);
  if (FAILED(result)) return result;

  const INT limit = static_cast<INT>(runPool.cellSize);
  auto eachSpan = [&](auto onPiece) -> HRESULT {
    int current = 0;
    services.scriptStringCPtoX(analysis, 0, FALSE, &current);
    for (INT i = 0; i < length; ++i) {
      int edge = 0;
      services.scriptStringCPtoX(analysis, i, TRUE, &edge);
      if (edge == current) continue;
      const INT previous = std::clamp<INT>(current, 0, size.cx);
      current = edge;
      const INT next = std::clamp<INT>(edge, 0, size.cx);
      const HRESULT spanResult =
          ForEachPiece(std::min(previous, next), std::max(previous, next), limit, onPiece);
      if (FAILED(spanResult)) return spanResult;
    }
    return S_OK;
  };
  INT count = 0;
  eachSpan([&](INT, INT) {
    ++count;
    return S_OK;
  });
  auto* spans = static_cast<RunPiece*>(AllocateBytes(sizeof(RunPiece) * count));
  auto* pieces = static_cast<GlyphRecord*>(AllocateBytes(sizeof(GlyphRecord) * count));
  auto* widths = static_cast<INT*>(AllocateBytes(sizeof(INT) * count));
  result = spans != nullptr && pieces != nullptr && widths != nullptr ? S_OK : E_OUTOFMEMORY;
  if (SUCCEEDED(result)) {
    INT k = 0;
    eachSpan([&](INT left, INT width) {
      spans[k++] = RunPiece{left, width};
      return S_OK;
    });
    // A run read right to left gives its spans from the right.
    std::stable_sort(spans, spans + count,
                     [](const RunPiece& a, const RunPiece& b) { return a.left < b.left; });
    for (k = 0; k < count && SUCCEEDED(result); ++k) {
      widths[k] = spans[k].width;
      pieces[k] = GlyphRecord{};
      result = RenderIntoCell(spans[k].left, spans[k].width, runHeight, runPool, pieces[k]);
    }
  }
  FreeBytes(spans);
  if (FAILED(result)) {
    FreeBytes(pieces);
    FreeBytes(widths);
    return result;
  }
  node.pieceCount = count;
  node.pieces = pieces;
  node.pieceWidths = widths;
  return S_OK;
}
