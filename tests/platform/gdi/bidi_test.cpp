// The reordering shortcut: whatever it lets through, the full bidirectional algorithm keeps in
// logical order at left-to-right levels.
#include "platform/gdi/bidi.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gdi/records.h"

namespace {

bool LogicalAndLeftToRight(const gdi::BidiOrder& order) {
  for (UINT k = 0; k < order.visual.size(); ++k) {
    if (order.visual[k] != k || order.rightToLeft[k]) return false;
  }
  return true;
}

// Every character of the Basic Multilingual Plane between letters, digits and punctuation.
TEST(Bidi, SkippedReorderingKeepsLogicalOrder) {
  const std::vector<BYTE> none;
  int skipped = 0;
  for (UINT unit = 1; unit <= 0xFFFF; ++unit) {
    const WCHAR c = static_cast<WCHAR>(unit);
    for (const std::u16string& text :
         {std::u16string{c}, std::u16string{u'1', c, u'2', u' ', u'('},
          std::u16string{u'a', u' ', c, u'.', u'3', u'%', u')'}}) {
      const auto count = static_cast<UINT>(text.size());
      if (gdi::MayReorder(text.data(), count, none, false)) continue;
      ++skipped;
      ASSERT_TRUE(LogicalAndLeftToRight(gdi::ReorderParagraph(text.data(), count, none, false)))
          << std::hex << unit;
    }
  }
  EXPECT_GT(skipped, 0x8000);
}

TEST(Bidi, ReorderingIsAskedForRightToLeftTextAndClasses) {
  const std::u16string latin = u"By Vy 12";
  const auto count = static_cast<UINT>(latin.size());
  const std::vector<BYTE> none;
  EXPECT_FALSE(gdi::MayReorder(latin.data(), count, none, false));
  EXPECT_TRUE(gdi::MayReorder(latin.data(), count, none, true));
  const std::u16string hebrew = u"ab \u05D0";
  EXPECT_TRUE(gdi::MayReorder(hebrew.data(), 4, none, false));
  const std::u16string embedded = u"a\u202Eb";
  EXPECT_TRUE(gdi::MayReorder(embedded.data(), 3, none, false));
  std::vector<BYTE> forced(count, 0);
  forced[3] = GCPCLASS_HEBREW;
  EXPECT_TRUE(gdi::MayReorder(latin.data(), count, forced, false));
  forced[3] = GCPCLASS_LOCALNUMBER;
  EXPECT_TRUE(gdi::MayReorder(latin.data(), count, forced, false));
  forced[3] = GCPCLASS_LATIN;
  EXPECT_FALSE(gdi::MayReorder(latin.data(), count, forced, false));
}

}  // namespace
