// ScriptItemize against FriBidi's embedding levels and ICU's scripts, and ScriptBreak against
// ICU's boundaries.
#include <fribidi.h>
#include <gtest/gtest.h>
#include <unicode/ubrk.h>
#include <unicode/uscript.h>

#include <set>

#include "tests/platform/uniscribe/uniscribe_fixture.h"

namespace {

// FriBidi's levels for text of the Basic Multilingual Plane, one per unit.
std::vector<int> FriBidiLevels(const std::u16string& text, bool rightToLeft) {
  std::vector<FriBidiChar> characters(text.begin(), text.end());
  const auto n = FriBidiStrIndex(text.size());
  std::vector<FriBidiCharType> types(text.size());
  std::vector<FriBidiBracketType> brackets(text.size());
  std::vector<FriBidiLevel> levels(text.size());
  fribidi_get_bidi_types(characters.data(), n, types.data());
  fribidi_get_bracket_types(characters.data(), n, types.data(), brackets.data());
  FriBidiParType direction = rightToLeft ? FRIBIDI_PAR_RTL : FRIBIDI_PAR_LTR;
  EXPECT_NE(0, fribidi_get_par_embedding_levels_ex(types.data(), brackets.data(), n, &direction,
                                                   levels.data()));
  return std::vector<int>(levels.begin(), levels.end());
}

std::vector<SCRIPT_ITEM> Itemize(const std::u16string& text, bool rightToLeft, int max = 64) {
  std::vector<SCRIPT_ITEM> items(max);
  SCRIPT_STATE state{};
  state.uBidiLevel = rightToLeft ? 1 : 0;
  int count = 0;
  EXPECT_EQ(S_OK, ScriptItemize(text.data(), int(text.size()), max, nullptr, &state, items.data(),
                                &count));
  items.resize(count + 1);
  return items;
}

// Items hold one FriBidi level each and break only where the level or the script changes; each
// item's script is ICU's script of its letters.
void ExpectItemsFollowLevels(const std::u16string& text, bool rightToLeft) {
  const std::vector<int> levels = FriBidiLevels(text, rightToLeft);
  const std::vector<SCRIPT_ITEM> items = Itemize(text, rightToLeft);
  ASSERT_GE(items.size(), 2u);
  EXPECT_EQ(0, items.front().iCharPos);
  EXPECT_EQ(int(text.size()), items.back().iCharPos);
  for (std::size_t k = 0; k + 1 < items.size(); ++k) {
    const SCRIPT_ANALYSIS& a = items[k].a;
    for (int i = items[k].iCharPos; i < items[k + 1].iCharPos; ++i) {
      EXPECT_EQ(levels[i], a.s.uBidiLevel) << "character " << i;
      UErrorCode status = U_ZERO_ERROR;
      const UScriptCode script = uscript_getScript(text[i], &status);
      if (script != USCRIPT_COMMON && script != USCRIPT_INHERITED) {
        EXPECT_EQ(script, a.eScript) << "character " << i;
      }
    }
    EXPECT_EQ(a.s.uBidiLevel % 2 == 1, bool(a.fRTL));
    if (k > 0) {
      const SCRIPT_ANALYSIS& before = items[k - 1].a;
      EXPECT_TRUE(before.s.uBidiLevel != a.s.uBidiLevel || before.eScript != a.eScript) << k;
    }
  }
}

// Hebrew, Arabic, European digits and Latin words mixed.
const std::u16string kMixed =
    u"Go \u05E9\u05DC\u05D5\u05DD 123 \u0645\u0631\u062D\u0628\u0627 ok, 45.6 \u05D0";

TEST(Itemize, LevelsAndScriptsInBothBaseDirections) {
  ExpectItemsFollowLevels(kMixed, false);
  ExpectItemsFollowLevels(kMixed, true);
  ExpectItemsFollowLevels(u"(\u05D0\u05D1) [abc] \u0661\u0662 x", true);
}

TEST(Itemize, NumbersInRightToLeftTextLayOutRightToLeft) {
  // Arabic, then digits raised to level 2: read left to right but laid out with the Arabic.
  const std::vector<SCRIPT_ITEM> items = Itemize(u"\u0645\u0631 123", false);
  ASSERT_EQ(3u, items.size());
  EXPECT_TRUE(items[0].a.fRTL && items[0].a.fLayoutRTL);
  EXPECT_EQ(3, items[1].iCharPos);
  EXPECT_EQ(2, items[1].a.s.uBidiLevel);
  EXPECT_FALSE(items[1].a.fRTL);
  EXPECT_TRUE(items[1].a.fLayoutRTL);
  // Latin words in a right-to-left paragraph are laid out left to right.
  const std::vector<SCRIPT_ITEM> latin = Itemize(u"abc def", true);
  ASSERT_EQ(2u, latin.size());
  EXPECT_EQ(2, latin[0].a.s.uBidiLevel);
  EXPECT_FALSE(latin[0].a.fLayoutRTL);
  // Spaces and punctuation join the script before them.
  const std::vector<SCRIPT_ITEM> joined = Itemize(u"abc, \u0939\u093F ", false);
  ASSERT_EQ(3u, joined.size());
  EXPECT_EQ(5, joined[1].iCharPos);
  EXPECT_EQ(USCRIPT_LATIN, joined[0].a.eScript);
  EXPECT_EQ(USCRIPT_DEVANAGARI, joined[1].a.eScript);
}

TEST(Itemize, TooFewItemsAsksForMore) {
  const int needed = int(Itemize(kMixed, false).size());  // items and the closing one
  std::vector<SCRIPT_ITEM> items(needed);
  int count = -1;
  EXPECT_EQ(E_OUTOFMEMORY, ScriptItemize(kMixed.data(), int(kMixed.size()), needed - 1, nullptr,
                                         nullptr, items.data(), &count));
  EXPECT_EQ(-1, count);
  EXPECT_EQ(S_OK, ScriptItemize(kMixed.data(), int(kMixed.size()), needed, nullptr, nullptr,
                                items.data(), &count));
  EXPECT_EQ(needed - 1, count);
}

TEST(Itemize, SurrogatePairsStayWhole) {
  // A Han character beyond the Basic Multilingual Plane after Latin: two items, split before
  // the pair, never inside it.
  const std::vector<SCRIPT_ITEM> items = Itemize(u"ab\U00020000c", false);
  ASSERT_EQ(4u, items.size());
  EXPECT_EQ(2, items[1].iCharPos);
  EXPECT_EQ(USCRIPT_HAN, items[1].a.eScript);
  EXPECT_EQ(4, items[2].iCharPos);
}

TEST(Itemize, BadArguments) {
  SCRIPT_ITEM items[4];
  int count = 0;
  EXPECT_EQ(E_INVALIDARG, ScriptItemize(nullptr, 2, 4, nullptr, nullptr, items, &count));
  EXPECT_EQ(E_INVALIDARG, ScriptItemize(u"ab", 0, 4, nullptr, nullptr, items, &count));
  EXPECT_EQ(E_INVALIDARG, ScriptItemize(u"ab", 2, 1, nullptr, nullptr, items, &count));
  EXPECT_EQ(E_INVALIDARG, ScriptItemize(u"ab", 2, 4, nullptr, nullptr, nullptr, &count));
  EXPECT_EQ(E_INVALIDARG, ScriptItemize(u"ab", 2, 4, nullptr, nullptr, items, nullptr));
}

// --- Breaks ----------------------------------------------------------------------------------

std::vector<SCRIPT_LOGATTR> Break(const std::u16string& text) {
  std::vector<SCRIPT_LOGATTR> attributes(text.size());
  SCRIPT_ANALYSIS analysis{};
  EXPECT_EQ(S_OK, ScriptBreak(text.data(), int(text.size()), &analysis, attributes.data()));
  return attributes;
}

std::set<int> IcuBoundaries(UBreakIteratorType type, const std::u16string& text) {
  UErrorCode status = U_ZERO_ERROR;
  UBreakIterator* iterator = ubrk_open(type, "", text.data(), int(text.size()), &status);
  std::set<int> boundaries;
  for (int at = ubrk_first(iterator); at != UBRK_DONE; at = ubrk_next(iterator)) {
    if (at < int(text.size())) boundaries.insert(at);
  }
  ubrk_close(iterator);
  return boundaries;
}

template <typename Field>
std::set<int> Where(const std::vector<SCRIPT_LOGATTR>& attributes, Field field) {
  std::set<int> positions;
  for (int i = 0; i < int(attributes.size()); ++i) {
    if (field(attributes[i])) positions.insert(i);
  }
  return positions;
}

TEST(Break, ThaiWordsWithoutSpacesBreakWhereIcuFindsWords) {
  // "I love you very much", written without spaces.
  const std::u16string text =
      u"\u0E09\u0E31\u0E19\u0E23\u0E31\u0E01\u0E04\u0E38\u0E13"
      u"\u0E21\u0E32\u0E01";
  const std::vector<SCRIPT_LOGATTR> attributes = Break(text);
  const std::set<int> words = IcuBoundaries(UBRK_WORD, text);
  EXPECT_GE(words.size(), 3u);
  EXPECT_EQ(words, Where(attributes, [](SCRIPT_LOGATTR a) { return a.fWordStop != 0; }));
  EXPECT_EQ(IcuBoundaries(UBRK_CHARACTER, text),
            Where(attributes, [](SCRIPT_LOGATTR a) { return a.fCharStop != 0; }));
  std::set<int> lines = IcuBoundaries(UBRK_LINE, text);
  lines.erase(0);
  EXPECT_EQ(lines, Where(attributes, [](SCRIPT_LOGATTR a) { return a.fSoftBreak != 0; }));
}

TEST(Break, SpacesStayWithTheWordBeforeAndControlsStandAlone) {
  const std::vector<SCRIPT_LOGATTR> attributes = Break(u"Hi,  you\tx\r\ny");
  EXPECT_EQ((std::set<int>{0, 2, 5, 8, 9, 10, 11, 12}),
            Where(attributes, [](SCRIPT_LOGATTR a) { return a.fWordStop != 0; }));
  EXPECT_EQ((std::set<int>{3, 4, 8, 10, 11}),
            Where(attributes, [](SCRIPT_LOGATTR a) { return a.fWhiteSpace != 0; }));
}

TEST(Break, ClustersKeepMarksAndConjuncts) {
  // e + acute, then ka-virama-ssa-i: stops only where a cluster starts.
  const std::vector<SCRIPT_LOGATTR> attributes = Break(u"e\u0301\u0915\u094D\u0937\u093F");
  const std::set<int> stops = Where(attributes, [](SCRIPT_LOGATTR a) { return a.fCharStop != 0; });
  EXPECT_EQ(IcuBoundaries(UBRK_CHARACTER, u"e\u0301\u0915\u094D\u0937\u093F"), stops);
  EXPECT_EQ(0u, stops.count(1));
  EXPECT_EQ(1u, stops.count(2));
}

TEST(Break, BadArguments) {
  SCRIPT_LOGATTR attributes[2];
  SCRIPT_ANALYSIS analysis{};
  EXPECT_EQ(E_INVALIDARG, ScriptBreak(nullptr, 2, &analysis, attributes));
  EXPECT_EQ(E_INVALIDARG, ScriptBreak(u"ab", 0, &analysis, attributes));
  EXPECT_EQ(E_INVALIDARG, ScriptBreak(u"ab", 2, nullptr, attributes));
  EXPECT_EQ(E_INVALIDARG, ScriptBreak(u"ab", 2, &analysis, nullptr));
}

}  // namespace
