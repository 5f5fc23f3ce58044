#include "tests/toolkit/font/font_fixture.h"

#include "platform/uniscribe/uniscribe.h"
#include "platform/win32/modules.h"
#include "toolkit/font/text_services.h"

namespace font_test {

void FontTest::SetUp() {
  DeviceTest::SetUp();
  UseShapingModule(false);
}

void FontTest::TearDown() {
  for (CachedFont* font : fonts) EXPECT_EQ(0u, font->Release());
  fonts.clear();
  uniscribe::RegisterModule();
  UseShapingModule(true);
  DeviceTest::TearDown();
}

void FontTest::UseShapingModule(bool shown) {
  win32::HideModule("usp10.dll", !shown);
  testing_hooks::ForgetTextServicesProbe();
}

CachedFont* FontTest::MakeFont(const char* face, INT fontHeight, UINT mipLevels, DWORD quality) {
  ID3DXFont* font = nullptr;
  const HRESULT result =
      D3DXCreateFontA(device, fontHeight, 0, 0, mipLevels, FALSE, 0, 0, quality, 0, face, &font);
  EXPECT_EQ(S_OK, result);
  if (font == nullptr) return nullptr;
  fonts.push_back(static_cast<CachedFont*>(font));
  return fonts.back();
}

std::vector<std::uint32_t> FontTest::ReadLevel(IDirect3DTexture9* texture, UINT level) {
  D3DSURFACE_DESC desc{};
  texture->GetLevelDesc(level, &desc);
  std::vector<std::uint32_t> texels(std::size_t(desc.Width) * desc.Height);
  D3DLOCKED_RECT locked{};
  EXPECT_EQ(S_OK, texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY));
  for (UINT row = 0; row < desc.Height; ++row) {
    const auto* source = reinterpret_cast<const std::uint32_t*>(
        static_cast<const BYTE*>(locked.pBits) + std::size_t(row) * locked.Pitch);
    std::copy(source, source + desc.Width, texels.begin() + std::size_t(row) * desc.Width);
  }
  texture->UnlockRect(level);
  return texels;
}

WORD FontTest::GlyphOf(CachedFont* font, WCHAR character) {
  WCHAR glyph = 0;
  GCP_RESULTSW results{};
  results.lStructSize = sizeof(results);
  results.lpGlyphs = &glyph;
  results.nGlyphs = 1;
  GetCharacterPlacementW(font->GetDC(), &character, 1, 0, &results, 0);
  return glyph;
}

GlyphRecord& FontTest::RecordOf(CachedFont* font, WCHAR character) {
  const WORD glyph = GlyphOf(font, character);
  GlyphRecord* record = nullptr;
  EXPECT_EQ(S_OK, font->CacheGlyphs(&glyph, 1, &record));
  return *record;
}

std::vector<std::u16string> FontTest::WordTexts(CachedFont* font) {
  std::vector<std::u16string> result;
  for (UINT w = 0; w < font->WordCount(); ++w) {
    std::u16string word;
    for (INT g = font->words[w].firstGlyph; g < font->words[w + 1].firstGlyph; ++g) {
      word += font->wideText[g];
    }
    result.push_back(word);
  }
  return result;
}

}  // namespace font_test
