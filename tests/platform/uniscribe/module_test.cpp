// The module in the module table, script properties, digit substitution, and the two exports
// nothing in the program calls.
#include <gtest/gtest.h>
#include <unicode/uscript.h>

#include "platform/win32/modules.h"
#include "tests/platform/uniscribe/uniscribe_fixture.h"

namespace {

using usp_test::ShapingDc;

TEST(Module, RegisteredAtStartWithEveryExportTheFontLooksUp) {
  // In the table before main, as gdi32.dll is: fonts shape their text from the start.
  HMODULE module = GetModuleHandleA("usp10.dll");
  ASSERT_NE(nullptr, module);
  const std::pair<const char*, FARPROC> exports[] = {
      {"ScriptItemize", reinterpret_cast<FARPROC>(&ScriptItemize)},
      {"ScriptShape", reinterpret_cast<FARPROC>(&ScriptShape)},
      {"ScriptPlace", reinterpret_cast<FARPROC>(&ScriptPlace)},
      {"ScriptBreak", reinterpret_cast<FARPROC>(&ScriptBreak)},
      {"ScriptJustify", reinterpret_cast<FARPROC>(&ScriptJustify)},
      {"ScriptTextOut", reinterpret_cast<FARPROC>(&ScriptTextOut)},
      {"ScriptGetProperties", reinterpret_cast<FARPROC>(&ScriptGetProperties)},
      {"ScriptFreeCache", reinterpret_cast<FARPROC>(&ScriptFreeCache)},
      {"ScriptRecordDigitSubstitution", reinterpret_cast<FARPROC>(&ScriptRecordDigitSubstitution)},
      {"ScriptApplyDigitSubstitution", reinterpret_cast<FARPROC>(&ScriptApplyDigitSubstitution)},
      {"ScriptGetFontProperties", reinterpret_cast<FARPROC>(&ScriptGetFontProperties)},
      {"ScriptStringAnalyse", reinterpret_cast<FARPROC>(&ScriptStringAnalyse)},
      {"ScriptStringOut", reinterpret_cast<FARPROC>(&ScriptStringOut)},
      {"ScriptStringFree", reinterpret_cast<FARPROC>(&ScriptStringFree)},
      {"ScriptStringCPtoX", reinterpret_cast<FARPROC>(&ScriptStringCPtoX)},
      {"ScriptString_pSize", reinterpret_cast<FARPROC>(&ScriptString_pSize)},
  };
  for (const auto& [name, procedure] : exports)
    EXPECT_EQ(procedure, GetProcAddress(module, name)) << name;
  // Taken out and put back, it keeps its handle.
  win32::UnregisterModule("usp10.dll");
  EXPECT_EQ(nullptr, GetModuleHandleA("usp10.dll"));
  uniscribe::RegisterModule();
  EXPECT_NE(nullptr, GetModuleHandleA("usp10.dll"));
}

TEST(Module, ScriptPropertiesAndDigitSubstitution) {
  const SCRIPT_PROPERTIES** table = nullptr;
  int count = 0;
  ASSERT_EQ(S_OK, ScriptGetProperties(&table, &count));
  ASSERT_GT(count, int(USCRIPT_THAI));
  EXPECT_TRUE(table[USCRIPT_ARABIC]->fComplex);
  EXPECT_EQ(ARABIC_CHARSET, table[USCRIPT_ARABIC]->bCharSet);
  EXPECT_FALSE(table[USCRIPT_LATIN]->fComplex);
  EXPECT_TRUE(table[USCRIPT_THAI]->fNeedsWordBreaking);
  EXPECT_EQ(E_INVALIDARG, ScriptGetProperties(nullptr, nullptr));

  SCRIPT_DIGITSUBSTITUTE substitute{};
  ASSERT_EQ(S_OK, ScriptRecordDigitSubstitution(LOCALE_USER_DEFAULT, &substitute));
  EXPECT_EQ(SCRIPT_DIGITSUBSTITUTE_NONE, substitute.DigitSubstitute);
  SCRIPT_CONTROL control{};
  SCRIPT_STATE state{};
  state.fDigitSubstitute = 1;
  ASSERT_EQ(S_OK, ScriptApplyDigitSubstitution(&substitute, &control, &state));
  EXPECT_EQ(0, state.fDigitSubstitute);
  substitute.DigitSubstitute = SCRIPT_DIGITSUBSTITUTE_NATIONAL;
  ASSERT_EQ(S_OK, ScriptApplyDigitSubstitution(&substitute, &control, &state));
  EXPECT_EQ(1, state.fDigitSubstitute);
  substitute.DigitSubstitute = 9;
  EXPECT_EQ(E_INVALIDARG, ScriptApplyDigitSubstitution(&substitute, &control, &state));
  EXPECT_EQ(E_INVALIDARG, ScriptApplyDigitSubstitution(nullptr, nullptr, &state));
  EXPECT_EQ(E_INVALIDARG, ScriptRecordDigitSubstitution(LOCALE_USER_DEFAULT, nullptr));
  EXPECT_EQ(E_INVALIDARG, ScriptRecordDigitSubstitution(0x00F00409, &substitute));
}

TEST(Module, JustifyWidensBlanksAndTextOutPaintsLikeExtTextOut) {
  SCRIPT_VISATTR visAttrs[3] = {};
  visAttrs[1].uJustification = SCRIPT_JUSTIFY_BLANK;
  const int advances[3] = {10, 5, 10};
  int justified[3] = {};
  ASSERT_EQ(S_OK, ScriptJustify(visAttrs, advances, 3, 7, 0, justified));
  EXPECT_EQ(10, justified[0]);
  EXPECT_EQ(12, justified[1]);
  EXPECT_EQ(10, justified[2]);
  EXPECT_EQ(E_INVALIDARG, ScriptJustify(visAttrs, advances, 0, 7, 0, justified));

  ShapingDc shaped(u"Liberation Sans", 20, 64, 32);
  ShapingDc reference(u"Liberation Sans", 20, 64, 32);
  const WORD glyphs[2] = {shaped.GlyphOf(u'A'), shaped.GlyphOf(u'v')};
  const int widths[2] = {14, 11};
  const GOFFSET offsets[2] = {{0, 0}, {2, 3}};
  SCRIPT_ANALYSIS analysis{};
  shaped.FillAll(0);
  ASSERT_EQ(S_OK, ScriptTextOut(shaped.dc(), &shaped.cache, 1, 1, ETO_OPAQUE, nullptr, &analysis,
                                nullptr, 0, glyphs, 2, widths, nullptr, offsets));
  // GDI draws each glyph at its pen plus offset.
  reference.FillAll(0);
  SetBkMode(reference.dc(), TRANSPARENT);
  ASSERT_TRUE(ExtTextOutW(reference.dc(), 1, 1, ETO_GLYPH_INDEX, nullptr,
                          reinterpret_cast<LPCWSTR>(&glyphs[0]), 1, nullptr));
  ASSERT_TRUE(ExtTextOutW(reference.dc(), 1 + 14 + 2, 1 + 3, ETO_GLYPH_INDEX, nullptr,
                          reinterpret_cast<LPCWSTR>(&glyphs[1]), 1, nullptr));
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 64; ++x)
      ASSERT_EQ(reference.Green(x, y), shaped.Green(x, y)) << x << "," << y;
  }
  EXPECT_EQ(E_INVALIDARG, ScriptTextOut(shaped.dc(), &shaped.cache, 0, 0, 0, nullptr, &analysis,
                                        u"x", 0, glyphs, 2, widths, nullptr, nullptr));
}

}  // namespace
