// Drawing a string into a rectangle: analysis, line breaking with wrapping, tabs and line
// feeds, placement by the format flags, and one sprite per glyph clipped to the rectangle.
#include <algorithm>
#include <climits>
#include <cstring>

#include "toolkit/common/result.h"
#include "toolkit/font/cached_font.h"

namespace {

constexpr long long unlimited = 0x7FFFFFFF;

INT TextLength(const void* text, bool wide) {
  INT length = 0;
  if (wide) {
    for (const WCHAR* c = static_cast<const WCHAR*>(text); *c != 0; ++c) ++length;
  } else {
    length = static_cast<INT>(std::strlen(static_cast<const char*>(text)));
  }
  return length;
}

// Layout works in 64 bits, where rectangles spanning most of the INT range cannot overflow;
// what goes back to the caller is clamped into that range.
INT ClampToInt(long long value) {
  return static_cast<INT>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

// Cuts a glyph's source rectangle to the clip rectangle, moving its centre with its top-left
// cut; false when nothing of it is inside.
bool ClipGlyph(const RECT& clip, long long gx, long long gy, INT w, INT h, RECT& source,
               D3DXVECTOR3& center) {
  if (gx >= clip.right || gy >= clip.bottom || gx + w <= clip.left || gy + h <= clip.top) {
    return false;
  }
  if (gx < clip.left) {
    const INT d = static_cast<INT>(clip.left - gx);
    source.left += d;
    center.x -= static_cast<float>(d);
  }
  if (gx + w > clip.right) source.right += static_cast<INT>(clip.right - gx - w);
  if (gy < clip.top) {
    const INT d = static_cast<INT>(clip.top - gy);
    source.top += d;
    center.y -= static_cast<float>(d);
  }
  if (gy + h > clip.bottom) source.bottom += static_cast<INT>(clip.bottom - gy - h);
  return true;
}

}  // namespace

struct CachedFont::Layout {
  DWORD format;
  bool rtlReading;
  long long maxWidth = unlimited, maxHeight = unlimited;
  long long x = 0;  // width of the open line
  UINT lineStart = 0, lineWord = 0;
  long long widest = 0, totalHeight = 0;
  long long x0 = 0, y0 = 0;
};

HRESULT CachedFont::PreloadTextA(LPCSTR text, INT count) {
  return RenderText(nullptr, text, count, nullptr, 0, 0, false, nullptr);
}

HRESULT CachedFont::PreloadTextW(LPCWSTR text, INT count) {
  return RenderText(nullptr, text, count, nullptr, 0, 0, true, nullptr);
}

INT CachedFont::DrawTextA(ID3DXSprite* target, LPCSTR text, INT count, RECT* rect, DWORD format,
                          D3DCOLOR colour) {
  INT height = 0;
  return FAILED(RenderText(target, text, count, rect, format, colour, false, &height)) ? 0 : height;
}

INT CachedFont::DrawTextW(ID3DXSprite* target, LPCWSTR text, INT count, RECT* rect, DWORD format,
                          D3DCOLOR colour) {
  INT height = 0;
  return FAILED(RenderText(target, text, count, rect, format, colour, true, &height)) ? 0 : height;
}

HRESULT CachedFont::RenderText(ID3DXSprite* callerSprite, const void* text, INT count, RECT* rect,
                               DWORD format, D3DCOLOR colour, bool wide, INT* heightOut) {
  // A count below -1 is no length.
  if ((text == nullptr && count != 0) || (format & refusedFormatBits) != 0 || count < -1) {
    return D3DERR_INVALIDCALL;
  }
  if (count == -1) count = TextLength(text, wide);
  const CacheUse use(*this, true, callerSprite);
  wordCount = glyphCount = 0;
  if (count != 0) {
    const HRESULT result = AnalyseText(text, count, wide, (format & DT_RTLREADING) != 0);
    if (FAILED(result)) return result;
  }
  if (heightOut == nullptr) return S_OK;

  Layout layout;
  layout.format = format;
  layout.rtlReading = (format & DT_RTLREADING) != 0;
  HRESULT result = BreakLines(format, rect, layout);
  if (FAILED(result)) return result;

  if (rect != nullptr) {
    if (layout.rtlReading) layout.format ^= DT_RIGHT;
    const DWORD placed = layout.format;
    // Halving truncates toward zero.
    const long long left = rect->left, right = rect->right;
    const long long top = rect->top, bottom = rect->bottom;
    layout.x0 = (placed & DT_CENTER)  ? (left + right - layout.widest) / 2
                : (placed & DT_RIGHT) ? right - layout.widest
                                      : left;
    layout.y0 = (placed & DT_VCENTER)  ? (top + bottom - layout.totalHeight) / 2
                : (placed & DT_BOTTOM) ? bottom - layout.totalHeight
                                       : top;
    *heightOut = ClampToInt(layout.y0 - top + layout.totalHeight);
  } else {
    *heightOut = ClampToInt(layout.totalHeight);
  }
  if (format & DT_CALCRECT) {
    if (rect != nullptr) {
      *rect = RECT{ClampToInt(layout.x0), ClampToInt(layout.y0),
                   ClampToInt(layout.x0 + layout.widest),
                   ClampToInt(layout.y0 + layout.totalHeight)};
    }
    return S_OK;
  }

  ID3DXSprite* target = callerSprite;
  if (target == nullptr) {
    if (sprite == nullptr) {
      result = D3DXCreateSprite(device, &sprite);
      if (FAILED(result)) return result;
    }
    result = sprite->Begin(D3DXSPRITE_ALPHABLEND | D3DXSPRITE_SORT_TEXTURE);
    if (FAILED(result)) return result;
    target = sprite;
  }
  const RECT* clip = (format & DT_NOCLIP) ? nullptr : rect;
  result = DrawLines(target, clip, layout.format, layout, colour);
  if (callerSprite == nullptr) sprite->End();
  return result;
}

// --- Line breaking -------------------------------------------------------------------------------

HRESULT CachedFont::BreakLines(DWORD format, const RECT* rect, Layout& layout) {
  const UINT n = glyphCount;
  if (FAILED(order.Reserve(n, false)) || FAILED(glyphX.Reserve(n, false))) return E_OUTOFMEMORY;
  lineCount = 0;
  const bool single = (format & DT_SINGLELINE) != 0;
  const bool wrap = (format & DT_WORDBREAK) && rect != nullptr && rect->left < rect->right &&
                    !single;
  if (wrap) layout.maxWidth = std::min<long long>(0LL + rect->right - rect->left, unlimited);
  if (rect != nullptr && !(format & (DT_SINGLELINE | DT_NOCLIP | DT_CALCRECT))) {
    layout.maxHeight = std::min<long long>(0LL + rect->bottom - rect->top, unlimited);
  }
  for (UINT w = 0; w < wordCount; ++w) {
    const DWORD flags = words[w].flags;
    const INT g0 = words[w].firstGlyph, g1 = words[w + 1].firstGlyph;
    HRESULT result = S_OK;
    if ((flags & WF_LF) && !single) {
      advances[g0] = 0;
      glyphs[g0] = blankGlyph;
      result = CloseLine(layout.lineStart, g1, layout.lineWord, w + 1, layout);
      layout.x = 0;
      layout.lineStart = g1;
      layout.lineWord = w + 1;
    } else if ((flags & WF_TAB) && (format & DT_EXPANDTABS) && metrics.tmAveCharWidth > 0) {
      result = ExpandTab(w, wrap, layout);
    } else if (wrap && BlankWord(g0, g1)) {
      // Blanks alone (where the direction changes after a space) never open a line: they stay
      // at the end of the one they follow, where they take no room.
      for (INT g = g0; g < g1; ++g) layout.x += advances[g];
    } else {
      // A carriage return takes no room and shows nothing, but stays an ordinary word.
      if ((flags & WF_CR) && !single) {
        advances[g0] = 0;
        glyphs[g0] = blankGlyph;
      }
      result = PlaceWord(w, wrap, layout);
    }
    if (FAILED(result)) return result;
    if (layout.totalHeight > layout.maxHeight) break;
  }
  if (layout.x > 0) return CloseLine(layout.lineStart, n, layout.lineWord, wordCount, layout);
  return S_OK;
}

bool CachedFont::BlankWord(INT first, INT end) const {
  if (first >= end) return false;
  for (INT g = first; g < end; ++g) {
    if (glyphs[g] != blankGlyph) return false;
  }
  return true;
}

// A tab advances to the next multiple of eight average widths, cut at the wrapping width.
HRESULT CachedFont::ExpandTab(UINT w, bool wrap, Layout& layout) {
  const INT g0 = words[w].firstGlyph;
  if (wrap && layout.x >= layout.maxWidth) {
    const HRESULT result = CloseLine(layout.lineStart, g0, layout.lineWord, w, layout);
    if (FAILED(result)) return result;
    layout.x = 0;
    layout.lineStart = g0;
    layout.lineWord = w;
  }
  const long long stop = 8LL * metrics.tmAveCharWidth;
  long long tabWidth = stop - layout.x % stop;
  if (wrap && layout.x + tabWidth > layout.maxWidth) tabWidth = layout.maxWidth - layout.x;
  advances[g0] = ClampToInt(tabWidth);
  glyphs[g0] = blankGlyph;
  const HRESULT result = CacheGlyphs(&glyphs[g0], 1, &glyphRecords[g0]);
  if (FAILED(result)) return result;
  layout.x += tabWidth;
  return S_OK;
}

// An ordinary word starts a new line when it does not fit, and is split between glyphs when it
// is wider than the line itself; never before a blank, which hangs at the line's end instead.
// A right-to-left word (unless its glyphs read left to right) is taken from its right end, its
// logical start; the blanks there come before it in the text, so they never tear it: they end
// the open line when the word moves to the next, and take no part in whether it fits a line it
// opens.
HRESULT CachedFont::PlaceWord(UINT w, bool wrap, Layout& layout) {
  const INT g0 = words[w].firstGlyph, g1 = words[w + 1].firstGlyph;
  const bool rtl = (words[w].flags & (WF_RTL | WF_LTR_GLYPHS)) == WF_RTL;
  const ABC& extent = wordExtents[w];
  const long long wordWidth = 0LL + extent.abcA + extent.abcB + extent.abcC;
  INT blanks = 0;
  while (rtl && blanks < g1 - g0 && glyphs[g1 - 1 - blanks] == blankGlyph) ++blanks;
  INT rest = g0;  // the part of the word that no closed line holds
  if (wrap && layout.x > 0 && wordWidth + layout.x > layout.maxWidth) {
    const INT breakAt = blanks < g1 - g0 ? g0 + blanks : g0;
    if (breakAt > g0) MoveRightEndToFront(g0, g1, blanks);
    const HRESULT result =
        CloseLine(layout.lineStart, breakAt, layout.lineWord, breakAt > g0 ? w + 1 : w, layout);
    if (FAILED(result)) return result;
    layout.x = 0;
    layout.lineStart = breakAt;
    layout.lineWord = w;
    rest = breakAt;
  }
  long long hanging = 0;  // blanks that opened the line
  for (INT g = rest; g < g1; ++g) {
    const INT taken = rtl ? g1 - 1 - (g - rest) : g;
    const INT adv = advances[taken];
    const bool leadingBlank = rtl && rest == g0 && g - g0 < blanks;
    // A blank never starts a line: it hangs past the end of the one it ends.
    if (wrap && !leadingBlank && glyphs[taken] != blankGlyph &&
        layout.x - hanging + adv > layout.maxWidth) {
      // The piece already consumed from the word's right end goes first in what is left.
      if (rtl) MoveRightEndToFront(rest, g1, g - rest);
      const HRESULT result = CloseLine(layout.lineStart, g, layout.lineWord, w + 1, layout);
      if (FAILED(result)) return result;
      layout.x = 0;
      layout.lineStart = g;
      layout.lineWord = w;
      hanging = 0;
      if (rtl) rest = g;
    }
    if (leadingBlank && layout.x == hanging) hanging += adv;
    layout.x += adv;
  }
  return S_OK;
}

// Moves the last k glyph positions of [first, end) to its front, everything a glyph position
// holds.
void CachedFont::MoveRightEndToFront(INT first, INT end, INT k) {
  std::rotate(glyphs.Data() + first, glyphs.Data() + end - k, glyphs.Data() + end);
  std::rotate(glyphRecords.Data() + first, glyphRecords.Data() + end - k,
              glyphRecords.Data() + end);
  std::rotate(advances.Data() + first, advances.Data() + end - k, advances.Data() + end);
  std::rotate(glyphOffsets.Data() + first, glyphOffsets.Data() + end - k,
              glyphOffsets.Data() + end);
}

HRESULT CachedFont::CloseLine(UINT first, UINT end, UINT firstWord, UINT endWord,
                              Layout& layout) {
  // Line breaks are not part of the line.
  while (firstWord < endWord && (words[endWord - 1].flags & (WF_CR | WF_LF)) && end > first) {
    --endWord;
    --end;
  }
  VisualOrder(first, end, firstWord, endWord, layout.rtlReading);
  if (firstWord < endWord) DropEndBlanks(first, end, firstWord, endWord, layout.rtlReading);
  long long sum = 0;
  for (UINT i = first; i < end; ++i) {
    glyphX[order[i]] = ClampToInt(sum);
    sum += advances[order[i]];
  }
  if (FAILED(lines.Reserve(lineCount + 1, true))) return E_OUTOFMEMORY;
  lines[lineCount++] = TextLine{first, end, ClampToInt(sum)};
  layout.widest = std::max(layout.widest, sum);
  layout.totalHeight += metrics.tmHeight;
  return S_OK;
}

// Runs of equal direction fill the line from the left, or from the right for a right-to-left
// paragraph; a right-to-left run lists its words from the last.
void CachedFont::VisualOrder(UINT first, UINT end, UINT firstWord, UINT endWord,
                             bool rtlReading) {
  UINT b = rtlReading ? end : first;
  auto clipped = [&](INT glyph) { return std::clamp<UINT>(static_cast<UINT>(glyph), first, end); };
  UINT runFirst = firstWord;
  while (runFirst < endWord) {
    const bool rtl = (words[runFirst].flags & WF_RTL) != 0;
    UINT runEnd = runFirst + 1;
    while (runEnd < endWord && ((words[runEnd].flags & WF_RTL) != 0) == rtl) ++runEnd;
    const UINT s = clipped(words[runFirst].firstGlyph), e = clipped(words[runEnd].firstGlyph);
    if (rtlReading) b -= e - s;
    if (!rtl) {
      for (UINT p = s; p < e; ++p) order[b++] = p;
    } else {
      for (UINT k = runEnd; k-- > runFirst;) {
        const UINT ws = std::clamp(clipped(words[k].firstGlyph), s, e);
        const UINT we = std::clamp(clipped(words[k + 1].firstGlyph), s, e);
        for (UINT p = ws; p < we; ++p) order[b++] = p;
      }
    }
    if (rtlReading) b -= e - s;
    runFirst = runEnd;
  }
}

// Blanks at the line's trailing end take no room, so alignment ignores them.
void CachedFont::DropEndBlanks(UINT first, UINT end, UINT firstWord, UINT endWord,
                               bool rtlReading) {
  const bool firstRtl = (words[firstWord].flags & WF_RTL) != 0;
  const bool lastRtl = (words[endWord - 1].flags & WF_RTL) != 0;
  auto fromLeft = [&] {
    for (UINT i = first; i < end && glyphs[order[i]] == blankGlyph; ++i) advances[order[i]] = 0;
  };
  auto fromRight = [&] {
    for (UINT i = end; i > first && glyphs[order[i - 1]] == blankGlyph; --i) {
      advances[order[i - 1]] = 0;
    }
  };
  if (!rtlReading) {
    if (firstRtl) fromLeft();
    if (!lastRtl) fromRight();
  } else {
    if (!firstRtl) fromRight();
    if (lastRtl) fromLeft();
  }
  // The blanks that end the line's last word in reading order take none either. A line's
  // trailing white space belongs at the paragraph's end; where a word of the other direction
  // ends the line they stand inside it, and taking no room there shows the same line.
  const UINT wordStart =
      std::clamp<UINT>(static_cast<UINT>(words[endWord - 1].firstGlyph), first, end);
  const UINT wordEnd =
      std::clamp<UINT>(static_cast<UINT>(words[endWord].firstGlyph), wordStart, end);
  if ((words[endWord - 1].flags & (WF_RTL | WF_LTR_GLYPHS)) == WF_RTL) {
    for (UINT g = wordStart; g < wordEnd && glyphs[g] == blankGlyph; ++g) advances[g] = 0;
  } else {
    for (UINT g = wordEnd; g > wordStart && glyphs[g - 1] == blankGlyph; --g) advances[g - 1] = 0;
  }
}

// --- Drawing -------------------------------------------------------------------------------------

HRESULT CachedFont::DrawLines(ID3DXSprite* target, const RECT* clip, DWORD format,
                              const Layout& layout, D3DCOLOR colour) {
  long long y = layout.y0;
  UINT line = 0;
  const INT lineHeight = metrics.tmHeight;
  if (clip != nullptr && lineHeight > 0 && layout.y0 < clip->top) {
    const long long skipped = (clip->top - layout.y0) / lineHeight;
    if (skipped >= lineCount) return S_OK;
    line = static_cast<UINT>(skipped);
    y = layout.y0 + skipped * lineHeight;
  }
  for (; line < lineCount && (clip == nullptr || y < clip->bottom); ++line, y += lineHeight) {
    const TextLine& current = lines[line];
    const long long lx = (format & DT_CENTER) ? layout.x0 + (layout.widest - current.width) / 2
                         : (format & DT_RIGHT) ? layout.x0 + layout.widest - current.width
                                               : layout.x0;
    for (UINT g = current.firstGlyph; g < current.endGlyph; ++g) {
      const GlyphRecord& r = *glyphRecords[g];
      if (!HasImage(r)) continue;
      const long long gx = lx + glyphX[g] + glyphOffsets[g].du + r.originX;
      const long long gy = y + glyphOffsets[g].dv + r.originY;
      RECT source = {r.left, r.top, r.right, r.bottom};
      const INT w = r.right - r.left, h = r.bottom - r.top;
      D3DXVECTOR3 center(w * 0.5f, h * 0.5f, 0.0f);
      const D3DXVECTOR3 position(static_cast<float>(gx) + w * 0.5f,
                                 static_cast<float>(gy) + h * 0.5f, 0.0f);
      if (clip != nullptr && !ClipGlyph(*clip, gx, gy, w, h, source, center)) continue;
      if (source.left >= source.right || source.top >= source.bottom) continue;
      const HRESULT result = target->Draw(r.texture, &source, &center, &position, colour);
      if (FAILED(result)) return result;
    }
  }
  return S_OK;
}
