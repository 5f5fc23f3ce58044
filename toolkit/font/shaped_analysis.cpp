// Analysis with the shaping services: the text is itemised into runs of one script and one
// direction, broken into words at word stops, and shaped word by word. A word the face cannot
// shape (a character it lacks, or shaping that fails) is drawn whole through the run cache with
// fallback faces, and its pieces stand where its glyphs would.
#include <algorithm>
#include <climits>
#include <cstring>

#include "platform/win32/codepage.h"
#include "toolkit/common/result.h"
#include "toolkit/font/cached_font.h"
#include "toolkit/font/text_services.h"

namespace {

// No text needs more items than characters, plus the closing one. A module that asks for more
// room anyway gets up to this many times that before the analysis takes it for a real
// shortage of memory.
constexpr std::size_t itemRoomFactor = 8;
// The same for glyphs: room for this many glyphs per character of a word, and a few more, is
// the most a word is given before a shaping that keeps asking counts as out of memory.
constexpr std::size_t glyphRoomFactor = 32;
constexpr std::size_t glyphRoomExtra = 64;

DWORD ControlFlags(WCHAR first) {
  switch (first) {
    case u'\r':
      return WF_CR;
    case u'\n':
      return WF_LF;
    case u'\t':
      return WF_TAB;
    default:
      return 0;
  }
}

// Room handed to the module as an int.
int RoomOf(std::size_t capacity, std::size_t used) {
  return static_cast<int>(std::min<std::size_t>(capacity - used, INT_MAX));
}

}  // namespace

HRESULT CachedFont::AnalyseWithScripts(const void* source, INT count, bool wide, bool rightToLeft) {
  const WCHAR* text = static_cast<const WCHAR*>(source);
  if (!wide) {
    const auto* narrow = static_cast<const char*>(source);
    const int wideCount = MultiByteToWideChar(CP_ACP, 0, narrow, count, nullptr, 0);
    if (FAILED(wideText.Reserve(std::max(wideCount, 1), false))) return E_OUTOFMEMORY;
    MultiByteToWideChar(CP_ACP, 0, narrow, count, wideText.Data(), wideCount);
    text = wideText.Data();
    count = wideCount;
  }
  if (count <= 0) {  // nothing survived the conversion: no words
    if (FAILED(words.Reserve(1, false))) return E_OUTOFMEMORY;
    words[0] = TextWord{0, 0, 0, 0};
    wordCount = glyphCount = 0;
    return S_OK;
  }
  TextServices& services = SharedTextServices();
  std::memset(&scriptState, 0, sizeof(scriptState));
  std::memset(&scriptControl, 0, sizeof(scriptControl));
  HRESULT result = services.scriptApplyDigitSubstitution(&services.digitSubstitute, &scriptControl,
                                                         &scriptState);
  if (FAILED(result)) return result;
  if (rightToLeft) scriptState.uBidiLevel = 1;

  INT itemCount = 0;
  result = ItemiseText(text, count, &itemCount);
  if (FAILED(result)) return result;
  if (FAILED(logAttrs.Reserve(static_cast<std::size_t>(count), false))) return E_OUTOFMEMORY;
  for (INT i = 0; i < itemCount; ++i) {
    const INT start = items[i].iCharPos;
    result = services.scriptBreak(text + start, items[i + 1].iCharPos - start, &items[i].a,
                                  logAttrs.Data() + start);
    if (FAILED(result)) return result;
  }
  UINT total = 0;
  result = FindScriptWords(text, count, &total);
  if (FAILED(result)) return result;

  // Shaping only ever adds room, so that what earlier words stored stays.
  std::size_t maxGlyphs = static_cast<std::size_t>(count) * 3 / 2 + 16;
  std::size_t cursor = 0;
  for (UINT w = 0; w < total; ++w) {
    result = ShapeWord(text, w, maxGlyphs, cursor);
    if (SUCCEEDED(result) && (words[w].flags & (WF_CR | WF_LF | WF_TAB)) != 0 &&
        cursor == static_cast<std::size_t>(words[w].firstGlyph)) {
      result = KeepBlankGlyph(w, maxGlyphs, cursor);
    }
    if (FAILED(result)) return result;
  }
  if (cursor > INT_MAX) return E_OUTOFMEMORY;
  words[total].firstGlyph = static_cast<INT>(cursor);
  wordCount = total;
  glyphCount = static_cast<UINT>(cursor);
  return S_OK;
}

// Items of the whole text, with more room while the module asks for it. The items are checked
// before anything indexes the text with them.
HRESULT CachedFont::ItemiseText(const WCHAR* text, INT count, INT* itemCount) {
  const TextServices& services = SharedTextServices();
  const std::size_t needed = static_cast<std::size_t>(count) + 1;
  std::size_t room = needed;
  for (;;) {
    if (FAILED(items.Reserve(room, false))) return E_OUTOFMEMORY;
    const int capacity = RoomOf(items.Capacity(), 0);
    int found = 0;
    const HRESULT result = services.scriptItemize(text, count, capacity, &scriptControl,
                                                  &scriptState, items.Data(), &found);
    if (result == E_OUTOFMEMORY && items.Capacity() < needed * itemRoomFactor) {
      room = items.Capacity() * 2;
      continue;
    }
    if (FAILED(result)) return result;
    if (found <= 0 || found >= capacity) return E_FAIL;
    if (items[0].iCharPos != 0 || items[found].iCharPos != count) return E_FAIL;
    for (int i = 0; i < found; ++i) {
      if (items[i + 1].iCharPos <= items[i].iCharPos) return E_FAIL;
    }
    *itemCount = found;
    return S_OK;
  }
}

// A word starts at each item's first character and at every word stop. Returns the number of
// words in `total`; the closing entry holds the character count.
HRESULT CachedFont::FindScriptWords(const WCHAR* text, INT count, UINT* total) {
  UINT found = 0;
  for (INT item = 0, i = 0; i < count; ++i) {
    const bool itemStart = i == items[item].iCharPos;
    if (itemStart || logAttrs[i].fWordStop) ++found;
    if (i + 1 == items[item + 1].iCharPos) ++item;
  }
  if (FAILED(words.Reserve(std::size_t(found) + 1, false)) ||
      FAILED(clusters.Reserve(static_cast<std::size_t>(count), false)) ||
      FAILED(wordExtents.Reserve(found, false))) {
    return E_OUTOFMEMORY;
  }
  UINT w = 0;
  for (INT item = 0, i = 0; i < count; ++i) {
    if (i == items[item].iCharPos || logAttrs[i].fWordStop) {
      DWORD flags = ControlFlags(text[i]);
      if (items[item].a.fLayoutRTL) flags |= WF_RTL;
      if (items[item].a.fLayoutRTL && !items[item].a.fRTL) flags |= WF_LTR_GLYPHS;
      words[w++] = TextWord{item, i, 0, flags};
    }
    if (i + 1 == items[item + 1].iCharPos) ++item;
  }
  words[found] = TextWord{0, count, 0, 0};
  *total = found;
  return S_OK;
}

// Shapes word w into the glyph positions from `cursor`, or draws it whole; moves `cursor` past
// what the word took.
HRESULT CachedFont::ShapeWord(const WCHAR* text, UINT w, std::size_t& maxGlyphs,
                              std::size_t& cursor) {
  const TextServices& services = SharedTextServices();
  const INT first = words[w].firstChar;
  const INT length = words[w + 1].firstChar - first;
  SCRIPT_ANALYSIS& analysis = items[words[w].item].a;
  words[w].firstGlyph = static_cast<INT>(std::min<std::size_t>(cursor, INT_MAX));
  const std::size_t mostRoom = cursor + glyphRoomFactor * length + glyphRoomExtra;
  int shaped = 0;
  int room = 0;
  HRESULT result = S_OK;
  for (;;) {
    if (FAILED(glyphs.Reserve(maxGlyphs, true)) || FAILED(visAttrs.Reserve(maxGlyphs, true))) {
      return E_OUTOFMEMORY;
    }
    room = RoomOf(std::min(glyphs.Capacity(), visAttrs.Capacity()), cursor);
    result = services.scriptShape(dc, &scriptCache, text + first, length, room, &analysis,
                                  glyphs.Data() + cursor, clusters.Data() + first,
                                  visAttrs.Data() + cursor, &shaped);
    if (result != E_OUTOFMEMORY) break;
    if (glyphs.Capacity() >= mostRoom) return E_OUTOFMEMORY;
    maxGlyphs = 2 * glyphs.Capacity();
  }
  bool whole = FAILED(result) || shaped < 0 || shaped > room;
  for (int i = 0; !whole && i < shaped; ++i) whole = glyphs[cursor + i] == defaultGlyph;
  if (whole) return DrawWordWhole(text + first, length, analysis.fRTL != 0, w, maxGlyphs, cursor);

  const std::size_t end = cursor + static_cast<std::size_t>(shaped);
  maxGlyphs = std::max(maxGlyphs, end);
  if (FAILED(advances.Reserve(maxGlyphs, true)) || FAILED(glyphOffsets.Reserve(maxGlyphs, true)) ||
      FAILED(glyphRecords.Reserve(maxGlyphs, true))) {
    return E_OUTOFMEMORY;
  }
  result = services.scriptPlace(dc, &scriptCache, glyphs.Data() + cursor, shaped,
                                visAttrs.Data() + cursor, &analysis, advances.Data() + cursor,
                                glyphOffsets.Data() + cursor, &wordExtents[w]);
  if (FAILED(result)) {
    // The word keeps no glyphs and takes no room.
    wordExtents[w] = ABC{0, 0, 0};
    return S_OK;
  }
  result =
      CacheGlyphs(glyphs.Data() + cursor, static_cast<UINT>(shaped), glyphRecords.Data() + cursor);
  if (FAILED(result)) return result;
  cursor = end;
  return S_OK;
}

// The word's characters drawn whole, with fallback faces, in the direction of its item; its
// pieces take the word's glyph positions, left to right.
HRESULT CachedFont::DrawWordWhole(const WCHAR* characters, INT length, bool rightToLeft, UINT w,
                                  std::size_t& maxGlyphs, std::size_t& cursor) {
  INT pieceCount = 0;
  GlyphRecord* pieces = nullptr;
  INT* widths = nullptr;
  const HRESULT result =
      RenderRun(characters, length, rightToLeft ? TRUE : FALSE, &pieceCount, &pieces, &widths);
  if (FAILED(result)) return result;
  const std::size_t end = cursor + static_cast<std::size_t>(pieceCount);
  maxGlyphs = std::max(maxGlyphs, end);
  if (FAILED(glyphs.Reserve(maxGlyphs, true)) || FAILED(advances.Reserve(maxGlyphs, true)) ||
      FAILED(glyphOffsets.Reserve(maxGlyphs, true)) ||
      FAILED(glyphRecords.Reserve(maxGlyphs, true))) {
    return E_OUTOFMEMORY;
  }
  long long width = 0;
  for (INT j = 0; j < pieceCount; ++j) {
    const std::size_t at = cursor + static_cast<std::size_t>(j);
    glyphs[at] = runPieceGlyph;
    glyphRecords[at] = &pieces[j];
    advances[at] = widths[j];
    glyphOffsets[at] = GOFFSET{0, 0};
    width += widths[j];
  }
  wordExtents[w] = ABC{0, static_cast<UINT>(std::clamp<long long>(width, 0, INT_MAX)), 0};
  cursor = end;
  return S_OK;
}

// A tab or line break whose word came out without glyphs (its placement failed) still gets the
// one position that layout gives its width or turns into a line break.
HRESULT CachedFont::KeepBlankGlyph(UINT w, std::size_t& maxGlyphs, std::size_t& cursor) {
  maxGlyphs = std::max(maxGlyphs, cursor + 1);
  if (FAILED(glyphs.Reserve(maxGlyphs, true)) || FAILED(advances.Reserve(maxGlyphs, true)) ||
      FAILED(glyphOffsets.Reserve(maxGlyphs, true)) ||
      FAILED(glyphRecords.Reserve(maxGlyphs, true))) {
    return E_OUTOFMEMORY;
  }
  glyphs[cursor] = blankGlyph;
  advances[cursor] = 0;
  glyphOffsets[cursor] = GOFFSET{0, 0};
  wordExtents[w] = ABC{0, 0, 0};
  const HRESULT result = CacheGlyphs(&glyphs[cursor], 1, &glyphRecords[cursor]);
  if (FAILED(result)) return result;
  ++cursor;
  return S_OK;
}
