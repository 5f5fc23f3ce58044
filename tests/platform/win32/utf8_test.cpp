// CP_UTF8 conversions, malformed input included.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/codepage.h"

namespace {

constexpr WCHAR kFffd = 0xFFFD;

std::u16string ToWide(const std::string& utf8, DWORD flags = 0) {
  const int length = static_cast<int>(utf8.size());
  const int needed = MultiByteToWideChar(CP_UTF8, flags, utf8.data(), length, nullptr, 0);
  std::u16string wide(static_cast<std::size_t>(needed), u'\0');
  if (needed > 0) {
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, flags, utf8.data(), length, wide.data(), needed),
              needed);
  }
  return wide;
}

std::string ToUtf8(const std::u16string& wide, DWORD flags = 0) {
  const int length = static_cast<int>(wide.size());
  const int needed =
      WideCharToMultiByte(CP_UTF8, flags, wide.data(), length, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(needed), '\0');
  if (needed > 0) {
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, flags, wide.data(), length, utf8.data(), needed, nullptr,
                                  nullptr),
              needed);
  }
  return utf8;
}

TEST(Utf8, DecodesEveryLengthOfSequence) {
  EXPECT_EQ(ToWide("A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"),
            (std::u16string{u'A', 0x00E9, 0x20AC, 0xD83D, 0xDE00}));
  EXPECT_EQ(ToWide(std::string("a\0b", 3)), (std::u16string{u'a', 0, u'b'}));
}

TEST(Utf8, EncodesSurrogatePairsAsOneCharacter) {
  EXPECT_EQ(ToUtf8(std::u16string{u'A', 0x00E9, 0x20AC, 0xD83D, 0xDE00}),
            "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_EQ(ToUtf8(std::u16string{0xDBFF, 0xDFFF}), "\xF4\x8F\xBF\xBF");
}

TEST(Utf8, EachMalformedSequenceBecomesOneReplacement) {
  struct Case {
    std::string input;
    std::u16string expected;
  };
  const std::vector<Case> cases = {
      {"\x80", {kFffd}},                                   // lone continuation
      {"\xC0\xAF", {kFffd, kFffd}},                        // overlong lead
      {"\xE0\x80\x80", {kFffd, kFffd, kFffd}},             // overlong three-byte form
      {"\xED\xA0\x80", {kFffd, kFffd, kFffd}},             // encoded surrogate
      {"\xF4\x90\x80\x80", {kFffd, kFffd, kFffd, kFffd}},  // beyond U+10FFFF
      {"\xF5", {kFffd}},                                   // no such lead
      {"\xE2\x82\x41", {kFffd, u'A'}},                     // cut short, then ASCII
      {"x\xF0\x9F\x98", {u'x', kFffd}},                    // cut short at the end
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(ToWide(cases[i].input), cases[i].expected) << "case " << i;
  }
}

TEST(Utf8, StrictDecodingFailsOnMalformedInput) {
  WCHAR wide[8];
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "ok\xC3", 3, wide, 8), 0);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_NO_UNICODE_TRANSLATION});
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "ok\xC3\xA9", 4, wide, 8), 3);
}

TEST(Utf8, LoneSurrogatesBecomeReplacements) {
  EXPECT_EQ(ToUtf8(std::u16string{0xD800}), "\xEF\xBF\xBD");
  EXPECT_EQ(ToUtf8(std::u16string{0xDC00, 0xD800, u'a'}), "\xEF\xBF\xBD\xEF\xBF\xBD\x61");
  const WCHAR lone[] = {u'a', 0xDC00};
  char narrow[8];
  EXPECT_EQ(
      WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, lone, 2, narrow, 8, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_NO_UNICODE_TRANSLATION});
}

TEST(Utf8, ExactBufferFitsAndOneLessFails) {
  const WCHAR euro[] = {0x20AC, 0};
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, euro, -1, nullptr, 0, nullptr, nullptr), 4);
  char narrow[5] = {'!', '!', '!', '!', '!'};
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, euro, -1, narrow, 3, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_INSUFFICIENT_BUFFER});
  EXPECT_EQ(narrow[3], '!');
  ASSERT_EQ(WideCharToMultiByte(CP_UTF8, 0, euro, -1, narrow, 4, nullptr, nullptr), 4);
  EXPECT_EQ(std::string(narrow), "\xE2\x82\xAC");
  EXPECT_EQ(narrow[4], '!');

  WCHAR wide[2] = {0x7777, 0x7777};
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "\xF0\x9F\x98\x80", 4, wide, 1), 0);
  EXPECT_EQ(wide[1], 0x7777);
}

}  // namespace
