// Itemisation: embedding levels by FriBidi, scripts by ICU, and ScriptItemize over them.
#include "platform/uniscribe/itemize.h"

#include <fribidi.h>

#include <algorithm>
#include <numeric>

#include "platform/uniscribe/recent_answers.h"
#include "platform/uniscribe/script_ids.h"
#include "platform/uniscribe/uniscribe.h"

namespace uniscribe {
namespace {

constexpr int kHighestLevel = 31;  // what uBidiLevel's five bits hold

// The text's code points, and the index of each one's first unit; a lone surrogate stands
// for U+FFFD.
struct CodePoints {
  std::vector<FriBidiChar> characters;
  std::vector<int> firstUnit;
};

CodePoints Decode(const WCHAR* text, int length) {
  CodePoints points;
  points.characters.reserve(static_cast<std::size_t>(length));
  points.firstUnit.reserve(static_cast<std::size_t>(length));
  for (int i = 0; i < length; ++i) {
    char32_t c = text[i];
    points.firstUnit.push_back(i);
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    points.characters.push_back(c);
  }
  return points;
}

// A level kept within uBidiLevel's range, its direction unchanged.
int Clamped(int level) {
  return level <= kHighestLevel ? level : kHighestLevel - (level & 1 ? 0 : 1);
}

// Levels per code point; false when FriBidi fails.
bool Levels(const CodePoints& points, const SCRIPT_STATE& state, std::vector<int>& levels,
            std::vector<FriBidiCharType>& types) {
  const auto count = static_cast<FriBidiStrIndex>(points.characters.size());
  const int base = state.uBidiLevel;
  types.resize(points.characters.size());
  fribidi_get_bidi_types(points.characters.data(), count, types.data());
  levels.assign(points.characters.size(), base);
  if (state.fOverrideDirection) return true;
  std::vector<FriBidiBracketType> brackets(points.characters.size());
  fribidi_get_bracket_types(points.characters.data(), count, types.data(), brackets.data());
  std::vector<FriBidiLevel> resolved(points.characters.size());
  FriBidiParType direction = (base & 1) != 0 ? FRIBIDI_PAR_RTL : FRIBIDI_PAR_LTR;
  if (fribidi_get_par_embedding_levels_ex(types.data(), brackets.data(), count, &direction,
                                          resolved.data()) == 0) {
    return false;
  }
  // FriBidi counts from 0 or 1; a higher base level raises everything by its even part.
  for (std::size_t i = 0; i < resolved.size(); ++i) {
    levels[i] = Clamped(resolved[i] + (base & ~1));
  }
  return true;
}

// Scripts per code point, common and inherited ones taking the script before them, or at the
// start of a level run the first script after them. Runs are [from, to) of code points.
void ResolveScripts(std::vector<WORD>& scripts, std::size_t from, std::size_t to) {
  WORD current = SCRIPT_UNDEFINED;
  for (std::size_t i = from; i < to; ++i) {
    if (!JoinsNeighbours(scripts[i])) {
      current = scripts[i];
      break;
    }
  }
  for (std::size_t i = from; i < to; ++i) {
    if (JoinsNeighbours(scripts[i])) {
      scripts[i] = current;
    } else {
      current = scripts[i];
    }
  }
}

bool IsNumber(FriBidiCharType type) { return type == FRIBIDI_TYPE_EN || type == FRIBIDI_TYPE_AN; }

}  // namespace

namespace {

bool WorkOutItems(const WCHAR* text, int length, const SCRIPT_STATE& state,
                  std::vector<ItemRun>& items) {
  items.clear();
  if (length <= 0) return true;
  const CodePoints points = Decode(text, length);
  std::vector<int> levels;
  std::vector<FriBidiCharType> types;
  if (!Levels(points, state, levels, types)) return false;
  const std::size_t count = points.characters.size();
  std::vector<WORD> scripts(count);
  for (std::size_t i = 0; i < count; ++i) scripts[i] = ScriptIdOf(points.characters[i]);
  for (std::size_t from = 0; from < count;) {
    std::size_t to = from + 1;
    while (to < count && levels[to] == levels[from]) ++to;
    ResolveScripts(scripts, from, to);
    from = to;
  }
  bool hasLeftToRight = false;
  bool hasNumber = false;
  auto closeItem = [&] {
    ItemRun& item = items.back();
    const bool raisedNumber =
        (item.level & 1) == 0 && item.level > 0 && hasNumber && !hasLeftToRight;
    item.layoutRightToLeft = (item.level & 1) != 0 || raisedNumber;
  };
  for (std::size_t i = 0; i < count; ++i) {
    if (i == 0 || levels[i] != levels[i - 1] || scripts[i] != scripts[i - 1]) {
      if (i != 0) closeItem();
      items.push_back({points.firstUnit[i], levels[i], scripts[i], false});
      hasLeftToRight = hasNumber = false;
    }
    hasLeftToRight = hasLeftToRight || types[i] == FRIBIDI_TYPE_LTR;
    hasNumber = hasNumber || IsNumber(types[i]);
  }
  closeItem();
  return true;
}

}  // namespace

bool FindItems(const WCHAR* text, int length, const SCRIPT_STATE& state,
               std::vector<ItemRun>& items) {
  thread_local RecentAnswers<std::vector<ItemRun>, 16, 1024> recent;
  const AnswerKey key{
      std::u16string_view(text, length > 0 ? std::size_t(length) : 0),
      std::uint32_t{state.uBidiLevel} | std::uint32_t{state.fOverrideDirection} << 5};
  if (const std::vector<ItemRun>* known = recent.Find(key)) {
    items = *known;
    return true;
  }
  if (!WorkOutItems(text, length, state, items)) return false;
  if (std::vector<ItemRun>* kept = recent.Keep(key)) *kept = items;
  return true;
}

std::vector<int> VisualItemOrder(const std::vector<ItemRun>& items) {
  std::vector<int> order(items.size());
  std::iota(order.begin(), order.end(), 0);
  int highest = 0;
  int lowestOdd = kHighestLevel + 1;
  for (const ItemRun& item : items) {
    highest = std::max(highest, item.level);
    if ((item.level & 1) != 0) lowestOdd = std::min(lowestOdd, item.level);
  }
  for (int level = highest; level >= lowestOdd; --level) {
    for (std::size_t k = 0; k < order.size();) {
      if (items[static_cast<std::size_t>(order[k])].level < level) {
        ++k;
        continue;
      }
      std::size_t end = k;
      while (end < order.size() && items[static_cast<std::size_t>(order[end])].level >= level) {
        ++end;
      }
      std::reverse(order.begin() + static_cast<std::ptrdiff_t>(k),
                   order.begin() + static_cast<std::ptrdiff_t>(end));
      k = end;
    }
  }
  return order;
}

}  // namespace uniscribe

HRESULT ScriptItemize(const WCHAR* text, int length, int maxItems, const SCRIPT_CONTROL* control,
                      const SCRIPT_STATE* state, SCRIPT_ITEM* items, int* itemCount) {
  (void)control;  // no control of this module's itemisation is needed by its callers
  if (text == nullptr || length <= 0 || maxItems < 2 || items == nullptr || itemCount == nullptr) {
    return E_INVALIDARG;
  }
  const SCRIPT_STATE paragraph = state != nullptr ? *state : SCRIPT_STATE{};
  thread_local std::vector<uniscribe::ItemRun> runs;
  if (!uniscribe::FindItems(text, length, paragraph, runs)) return E_OUTOFMEMORY;
  // One more for the closing item.
  if (runs.size() + 1 > static_cast<std::size_t>(maxItems)) return E_OUTOFMEMORY;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    SCRIPT_ITEM& item = items[i];
    item = SCRIPT_ITEM{};
    item.iCharPos = runs[i].start;
    item.a.eScript = runs[i].scriptId;
    item.a.fRTL = (runs[i].level & 1) != 0;
    item.a.fLayoutRTL = runs[i].layoutRightToLeft;
    item.a.s = paragraph;
    item.a.s.uBidiLevel = static_cast<WORD>(runs[i].level);
  }
  items[runs.size()] = SCRIPT_ITEM{};
  items[runs.size()].iCharPos = length;
  *itemCount = static_cast<int>(runs.size());
  return S_OK;
}
