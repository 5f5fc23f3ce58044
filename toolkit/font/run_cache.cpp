// Runs drawn whole by the shaping services (with fallback fonts) and cut into pieces of at most
// one run cell, cached by their characters in a tree of nodes.
#include <algorithm>

#include "toolkit/common/allocation.h"
#include "toolkit/common/result.h"
#include "toolkit/font/cached_font.h"
#include "toolkit/font/text_services.h"

namespace {

// The node of a run's last character, made (with any missing nodes before it) when new.
HRESULT FindRunNode(RunCacheNode** slot, const WCHAR* text, INT length, RunCacheNode** out) {
  RunCacheNode* node = nullptr;
  for (INT i = 0; i < length; ++i) {
    const WCHAR c = text[i];
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
  HRESULT result = FindRunNode(&runCache, text, length, &node);
  if (FAILED(result)) return result;
  if (node->pieceCount == -1) {
    const TextServices& services = SharedTextServices();
    const DWORD flags = SSA_GLYPHS | SSA_FALLBACK | SSA_LINK | (rightToLeft ? SSA_RTL : 0);
    SCRIPT_STRING_ANALYSIS analysis = nullptr;
    result = services.scriptStringAnalyse(dc, text, length, length * 3 / 2 + 16, -1, flags, 0,
                                          &scriptControl, &scriptState, nullptr, nullptr,
                                          nullptr, &analysis);
    if (FAILED(result)) return result;
    const SIZE size = *services.scriptStringSize(analysis);
    if (size.cx > surfaceWidth) {
      HBITMAP wider = nullptr;
      void* bits = nullptr;
      result = MakeSurface(size.cx, surfaceHeight, &wider, &bits);
      if (SUCCEEDED(result)) {
        SelectObject(dc, wider);
        DeleteObject(surface);
        surface = wider;
        surfaceBits = static_cast<std::uint32_t*>(bits);
        surfaceWidth = size.cx;
      }
    }
    const INT runHeight = std::min<INT>(size.cy, surfaceHeight);
    if (SUCCEEDED(result)) {
      result = services.scriptStringOut(analysis, 0, 0, ETO_OPAQUE, nullptr, 0, 0, FALSE);
    }
    // The pieces between successive trailing caret edges, counted first and then drawn.
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
    GlyphRecord* pieces = nullptr;
    INT* widths = nullptr;
    if (SUCCEEDED(result)) {
      eachSpan([&](INT, INT) { ++count; return S_OK; });
      pieces = static_cast<GlyphRecord*>(AllocateBytes(sizeof(GlyphRecord) * count));
      widths = static_cast<INT*>(AllocateBytes(sizeof(INT) * count));
      if (pieces == nullptr || widths == nullptr) result = E_OUTOFMEMORY;
    }
    if (SUCCEEDED(result)) {
      INT k = 0;
      result = eachSpan([&](INT left, INT width) {
        widths[k] = width;
        pieces[k] = GlyphRecord{};
        return RenderIntoCell(left, width, runHeight, runPool, pieces[k++]);
      });
    }
    services.scriptStringFree(&analysis);
    if (FAILED(result)) {
      FreeBytes(pieces);
      FreeBytes(widths);
      return result;
    }
    node->pieceCount = count;
    node->pieces = pieces;
    node->pieceWidths = widths;
  }
  *pieceCountOut = node->pieceCount;
  *piecesOut = node->pieces;
  *pieceWidthsOut = node->pieceWidths;
  return S_OK;
}
