// The GDI path's words, from display order into the order layout takes them.
//
// Character placement gives the whole text in display order, and words are found in it from
// left to right. Layout takes words one after another onto lines and puts each line back into
// display order by runs of equal WF_RTL (CloseLine): the runs fill the line from the
// paragraph's start side, a run flagged with the paragraph's own direction ("forward") keeps
// the order of its words, a run of the other flag ("backward") lists them last first. So the
// words are put into logical order, and each gets the flag under which those rules give back
// the display order that placement found: a line that is not wrapped shows the order of the
// bidirectional algorithm, and wrapped lines hold consecutive stretches of the text, ordered as
// the algorithm orders a line. Glyphs keep their left-to-right order within each word.
#include <algorithm>
#include <cstring>
#include <cwctype>

#include "toolkit/common/result.h"
#include "toolkit/font/cached_font.h"

namespace {

constexpr UINT noIndex = ~0u;

void SetRightToLeft(TextWord& word, bool rightToLeft) {
  word.flags = (word.flags & ~WF_RTL) | (rightToLeft ? WF_RTL : 0);
}

// Copies `count` elements of each array from `from` to `to` (the ranges may be far apart).
template <typename... Arrays>
void CopyGlyphData(UINT from, UINT to, UINT count, Arrays&... arrays) {
  (std::memcpy(arrays.Data() + to, arrays.Data() + from, count * sizeof(*arrays.Data())), ...);
}

}  // namespace

HRESULT CachedFont::OrderGdiWords(UINT total, UINT glyphTotal, bool rightToLeft,
                                  UINT* wordTotal) {
  *wordTotal = total;
  if (total == 0 || InLogicalOrder(total, glyphTotal, rightToLeft)) return S_OK;
  if (FAILED(wordOrder.Reserve(3 * std::size_t{total}, false))) return E_OUTOFMEMORY;
  UINT* sequence = wordOrder.Data();
  UINT* keys = sequence + total;
  UINT* joins = sequence + 2 * std::size_t{total};
  // A word's logical position is that of its first letter; the spaces that follow it on the
  // screen may come before it in the text.
  for (UINT d = 0; d < total; ++d) {
    UINT key = noIndex, any = noIndex;
    for (INT g = words[d].firstGlyph; g < words[d + 1].firstGlyph; ++g) {
      any = std::min(any, order[g]);
      if (wideText[g] != u' ') key = std::min(key, order[g]);
    }
    keys[d] = key != noIndex ? key : any;
    sequence[d] = d;
    joins[d] = 0;
  }
  std::sort(sequence, sequence + total, [keys](UINT a, UINT b) { return keys[a] < keys[b]; });
  if (!ChooseRunFlags(total, rightToLeft)) {
    // Deeper than one run inside another (explicit embeddings): the words go in reading order,
    // all forward, which keeps the display order of the whole text.
    for (UINT i = 0; i < total; ++i) {
      sequence[i] = rightToLeft ? total - 1 - i : i;
      joins[i] = 0;
      SetRightToLeft(words[sequence[i]], rightToLeft);
    }
  }
  for (UINT i = 0; i < total; ++i) {
    if (sequence[i] == i && joins[i] == 0) continue;
    const HRESULT result = MoveWordsIntoOrder(total, glyphTotal, wordTotal);
    if (FAILED(result)) return result;
    break;
  }
  MarkLeftToRightGlyphs(*wordTotal);
  return S_OK;
}

// A word laid out right to left among its neighbours may still read left to right inside.
void CachedFont::MarkLeftToRightGlyphs(UINT total) {
  for (UINT w = 0; w < total; ++w) {
    words[w].flags &= ~WF_LTR_GLYPHS;
    if (!(words[w].flags & WF_RTL)) continue;
    INT left = words[w].firstGlyph, right = words[w + 1].firstGlyph - 1;
    while (left < right && wideText[left] == u' ') ++left;
    while (left < right && wideText[right] == u' ') --right;
    if (order[left] < order[right]) words[w].flags |= WF_LTR_GLYPHS;
  }
}

// Text shown as it is written, left to right with no right-to-left words (every line of
// Latin text): the words are already in order and all forward.
bool CachedFont::InLogicalOrder(UINT total, UINT glyphTotal, bool rightToLeft) {
  if (rightToLeft) return false;
  for (UINT w = 0; w < total; ++w) {
    if (words[w].flags & WF_RTL) return false;
  }
  for (UINT g = 0; g < glyphTotal; ++g) {
    if (order[g] != g) return false;
  }
  return true;
}

// Splits the logical sequence into runs that CloseLine places one after another from the start
// side, and sets each word's WF_RTL. A backward run may hold stretches that read forward (a
// number inside right-to-left text: "1", ",", "234"); each becomes one word, in display order.
// False when the display order cannot be had this way.
bool CachedFont::ChooseRunFlags(UINT total, bool rightToLeft) {
  UINT* sequence = wordOrder.Data();
  UINT* backwardRun = sequence + total;  // the keys are no longer needed
  UINT* joins = sequence + 2 * std::size_t{total};
  // Reading rank: the word's place on the line counted from the paragraph's start side.
  auto rank = [&](UINT i) { return rightToLeft ? total - 1 - sequence[i] : sequence[i]; };
  // The end of the stretch from i whose ranks rise by one.
  auto forwardEnd = [&](UINT i) {
    while (i + 1 < total && rank(i + 1) == rank(i) + 1) ++i;
    return i;
  };
  UINT next = 0;
  bool lastBackward = false;
  for (UINT i = 0; i < total;) {
    UINT j = forwardEnd(i);
    const bool backward = rank(i) != next;
    if (backward) {
      // Two backward runs side by side would merge into one.
      if (lastBackward || rank(i) < next) return false;
      // Forward stretches ("units"), each ending just before where the one before began.
      for (UINT unit = i; rank(unit) != next;) {
        if (j + 1 == total) return false;
        const UINT following = forwardEnd(j + 1);
        if (rank(following) + 1 != rank(unit)) return false;
        unit = j + 1;
        j = following;
      }
      for (UINT unit = i; unit <= j;) {
        const UINT end = forwardEnd(unit);
        for (UINT k = unit + 1; k <= end; ++k) {
          if (words[sequence[k]].flags & (WF_CR | WF_LF | WF_TAB)) return false;
          joins[k] = 1;
        }
        if (rightToLeft) std::reverse(sequence + unit, sequence + end + 1);  // display order
        unit = end + 1;
      }
    }
    for (UINT k = i; k <= j; ++k) backwardRun[k] = backward;
    lastBackward = backward;
    next += j - i + 1;
    i = j + 1;
  }
  // A word alone between forward neighbours is the same either way: it takes the direction of
  // its letters, which decides from which end it is split when it is wider than the line.
  bool previousBackward = false;
  for (UINT i = 0; i < total; ++i) {
    TextWord& word = words[sequence[i]];
    const WCHAR first = wideText[word.firstGlyph];
    bool backward = backwardRun[i] != 0;
    if (!backward && !(word.flags & (WF_CR | WF_LF | WF_TAB))) {
      const bool letters = (word.flags & WF_RTL) || std::iswalnum(static_cast<wint_t>(first));
      const bool ownRightToLeft = (word.flags & WF_RTL) != 0;
      const bool nextBackward = i + 1 < total && backwardRun[i + 1] != 0;
      backward = letters && ownRightToLeft != rightToLeft && !previousBackward && !nextBackward;
    }
    SetRightToLeft(word, backward != rightToLeft);
    previousBackward = backward;
  }
  return true;
}

// Rewrites the words in the order of `wordOrder`, each taking its glyphs (in their display
// order) to its new place, and a word that joins the one before adding its glyphs to it;
// scratch room is taken past the last word and the last glyph.
HRESULT CachedFont::MoveWordsIntoOrder(UINT total, UINT glyphTotal, UINT* wordTotal) {
  const std::size_t room = 2 * std::size_t{glyphTotal};
  if (FAILED(words.Reserve(2 * std::size_t{total} + 2, true)) ||
      FAILED(glyphs.Reserve(room, true)) || FAILED(advances.Reserve(room, true)) ||
      FAILED(wideText.Reserve(room, true)) || FAILED(order.Reserve(room, true)) ||
      FAILED(charClasses.Reserve(room, true))) {
    return E_OUTOFMEMORY;
  }
  const UINT* sequence = wordOrder.Data();
  const UINT* joins = sequence + 2 * std::size_t{total};
  TextWord* display = words.Data() + total + 1;
  std::memcpy(display, words.Data(), (total + 1) * sizeof(TextWord));
  UINT c = 0, placed = 0;
  for (UINT i = 0; i < total; ++i) {
    const UINT d = sequence[i];
    const UINT s = static_cast<UINT>(display[d].firstGlyph);
    const UINT e = static_cast<UINT>(display[d + 1].firstGlyph);
    if (joins[i] == 0) {
      words[placed] = display[d];
      words[placed++].firstGlyph = static_cast<INT>(c);
    }
    CopyGlyphData(s, glyphTotal + c, e - s, glyphs, advances, wideText, order, charClasses);
    c += e - s;
  }
  words[placed] = display[total];
  CopyGlyphData(glyphTotal, 0, glyphTotal, glyphs, advances, wideText, order, charClasses);
  *wordTotal = placed;
  return S_OK;
}
