// CP_ACP conversions: Windows-1252 and the shared length and buffer rules.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/codepage.h"

namespace {

TEST(Windows1252, EveryByteRoundTrips) {
  char bytes[256];
  for (int i = 0; i < 256; ++i) bytes[i] = static_cast<char>(i);
  WCHAR wide[256];
  ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, bytes, 256, wide, 256), 256);
  char back[256];
  BOOL usedDefault = TRUE;
  ASSERT_EQ(WideCharToMultiByte(CP_ACP, 0, wide, 256, back, 256, nullptr, &usedDefault), 256);
  EXPECT_FALSE(usedDefault);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(static_cast<unsigned char>(back[i]), i);
}

TEST(Windows1252, HighControlsAreTheCodePagesOwn) {
  const char bytes[] = "\x80\x8A\x9F\xA9\x81\x8D\x8F\x90\x9D";
  WCHAR wide[9];
  ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, bytes, 9, wide, 9), 9);
  const WCHAR expected[] = {0x20AC, 0x0160, 0x0178, 0x00A9, 0x0081, 0x008D, 0x008F, 0x0090, 0x009D};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(wide[i], expected[i]) << i;
  const WCHAR euro[] = {0x20AC};
  char byte = 0;
  ASSERT_EQ(WideCharToMultiByte(1252, 0, euro, 1, &byte, 1, nullptr, nullptr), 1);
  EXPECT_EQ(static_cast<unsigned char>(byte), 0x80);
}

TEST(Windows1252, UnmappableCharactersBecomeTheDefault) {
  // U+0080 is a C1 control that the code page does not keep; U+1F600 is a surrogate pair.
  const WCHAR wide[] = {'a', 0x0080, 0x4E2D, 0xD83D, 0xDE00, 'b'};
  char narrow[8] = {};
  BOOL usedDefault = FALSE;
  ASSERT_EQ(WideCharToMultiByte(CP_ACP, 0, wide, 6, narrow, 8, nullptr, &usedDefault), 5);
  EXPECT_EQ(std::string(narrow, 5), "a???b");
  EXPECT_TRUE(usedDefault);
  ASSERT_EQ(WideCharToMultiByte(CP_ACP, 0, wide, 3, narrow, 8, "#", nullptr), 3);
  EXPECT_EQ(std::string(narrow, 3), "a##");
}

TEST(Windows1252, MinusOneTakesTheTerminatorIn) {
  WCHAR wide[8];
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, nullptr, 0), 4);
  ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, wide, 8), 4);
  EXPECT_EQ(wide[3], 0);
  const WCHAR source[] = {'x', 'y', 0};
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, source, -1, nullptr, 0, nullptr, nullptr), 3);
}

TEST(Windows1252, TooSmallABufferFailsWithoutWritingPastIt) {
  WCHAR wide[4] = {0x7777, 0x7777, 0x7777, 0x7777};
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abcd", 4, wide, 3), 0);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_INSUFFICIENT_BUFFER});
  EXPECT_EQ(wide[3], 0x7777);
  char narrow[3] = {'!', '!', '!'};
  const WCHAR source[] = {'a', 'b', 'c'};
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, source, 3, narrow, 2, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_INSUFFICIENT_BUFFER});
  EXPECT_EQ(narrow[2], '!');
}

TEST(CodePage, BadArgumentsAreRefused) {
  WCHAR wide[4];
  char narrow[4];
  const WCHAR source[] = {'a'};
  const auto expectError = [](int result, LONG error, const char* what) {
    EXPECT_EQ(result, 0) << what;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(error)) << what;
  };
  expectError(MultiByteToWideChar(437, 0, "a", 1, wide, 4), ERROR_INVALID_PARAMETER, "437");
  expectError(MultiByteToWideChar(CP_ACP, 0, nullptr, 1, wide, 4), ERROR_INVALID_PARAMETER,
              "null source");
  expectError(MultiByteToWideChar(CP_ACP, 0, "a", 0, wide, 4), ERROR_INVALID_PARAMETER,
              "empty source");
  expectError(MultiByteToWideChar(CP_ACP, 0, "a", 1, nullptr, 4), ERROR_INVALID_PARAMETER,
              "null destination");
  expectError(MultiByteToWideChar(CP_ACP, 0, "a", 1, wide, -1), ERROR_INVALID_PARAMETER,
              "negative size");
  expectError(
      WideCharToMultiByte(CP_ACP, WC_ERR_INVALID_CHARS, source, 1, narrow, 4, nullptr, nullptr),
      ERROR_INVALID_FLAGS, "strict ANSI");
  expectError(WideCharToMultiByte(CP_UTF8, 0, source, 1, narrow, 4, "?", nullptr),
              ERROR_INVALID_PARAMETER, "UTF-8 default char");
  BOOL used = FALSE;
  expectError(WideCharToMultiByte(CP_UTF8, 0, source, 1, narrow, 4, nullptr, &used),
              ERROR_INVALID_PARAMETER, "UTF-8 used default");
}

}  // namespace
