// Creating fonts: descriptions, the quality default, the cell geometry and the requirement
// checks, the probe, interface identity, device loss and failures of every step.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/gdi/gdi.h"
#include "platform/win32/modules.h"
#include "tests/toolkit/font/font_fixture.h"
#include "toolkit/common/allocation.h"
#include "toolkit/common/result.h"
#include "toolkit/font/text_services.h"

namespace {

using font_test::FontTest;

void SetCellMetrics(CachedFont* font, LONG height, LONG average, LONG widest, WCHAR first,
                    WCHAR last, UINT mipLevels) {
  font->metrics.tmHeight = height;
  font->metrics.tmAveCharWidth = average;
  font->metrics.tmMaxCharWidth = widest;
  font->metrics.tmFirstChar = first;
  font->metrics.tmLastChar = last;
  font->mipLevels = mipLevels;
  font->ChooseCellGeometry();
}

TEST_F(FontTest, CellGeometryOfAnEighteenPixelFont) {
  CachedFont* font = MakeFont("Arial", 18);
  SetCellMetrics(font, 18, 8, 36, 32, 500, 0);
  EXPECT_EQ(32u, font->smallPool.cellSize);
  EXPECT_EQ(6u, font->smallPool.levels);
  EXPECT_EQ(128u, font->smallPool.textureSize);
  EXPECT_EQ(1024u, font->smallPool.cellArea);
  EXPECT_EQ(64u, font->largePool.cellSize);
  EXPECT_EQ(7u, font->largePool.levels);
  EXPECT_EQ(128u, font->largePool.textureSize);
  ASSERT_EQ(S_OK, font->CheckCellTextures());
  EXPECT_EQ(128u * 128u, font->smallPool.textureArea);
  EXPECT_EQ(font->smallPool.textureArea, font->smallPool.nextCell);  // first glyph makes one
  EXPECT_EQ(font->largePool.textureArea, font->largePool.nextCell);
}

TEST_F(FontTest, CellGeometryAtTheEdges) {
  CachedFont* font = MakeFont("Arial", 18);
  SetCellMetrics(font, 18, 8, 36, 65, 65, 0);  // a single character: one cell per texture
  EXPECT_EQ(font->smallPool.cellSize, font->smallPool.textureSize);
  SetCellMetrics(font, 300, 100, 300, 32, 500, 0);  // a cell of 512: a texture of its own
  EXPECT_EQ(512u, font->smallPool.textureSize);
  EXPECT_EQ(512u, font->largePool.textureSize);
  SetCellMetrics(font, 18, 8, 36, 32, 500, 3);  // levels cut to MipLevels
  EXPECT_EQ(3u, font->smallPool.levels);
  EXPECT_EQ(3u, font->largePool.levels);
}

TEST_F(FontTest, MipLevelsOneMakesSingleLevelTexturesAndNoScratch) {
  CachedFont* font = MakeFont("Arial", 18, 1);
  EXPECT_EQ(1u, font->smallPool.levels);
  EXPECT_EQ(1u, font->largePool.levels);
  EXPECT_EQ(nullptr, font->mipScratch);
  ASSERT_TRUE(HasImage(RecordOf(font, u'W')));
  EXPECT_EQ(1u, font->textures[0]->GetLevelCount());
}

TEST_F(FontTest, TheRunPoolCopiesTheSmallPool) {
  CachedFont* font = MakeFont("Arial", 24);
  EXPECT_EQ(0, std::memcmp(&font->smallPool, &font->runPool, sizeof(CellPool)));
  EXPECT_EQ(D3DFMT_A8R8G8B8, font->textureFormat);
}

TEST_F(FontTest, DescriptionsReadBackFromTheGdiFont) {
  CachedFont* font = MakeFont("Arial", 18);
  D3DXFONT_DESCA a{};
  ASSERT_EQ(S_OK, font->GetDescA(&a));
  EXPECT_EQ(18, a.Height);
  EXPECT_EQ(ANTIALIASED_QUALITY, a.Quality);  // quality 0 asks for grey levels
  EXPECT_STREQ("Arial", a.FaceName);
  D3DXFONT_DESCW w{};
  ASSERT_EQ(S_OK, font->GetDescW(&w));
  EXPECT_EQ(std::u16string(u"Arial"), std::u16string(w.FaceName));
  EXPECT_EQ(ANTIALIASED_QUALITY, w.Quality);
  EXPECT_EQ(D3DERR_INVALIDCALL, font->GetDescA(nullptr));
  EXPECT_EQ(D3DERR_INVALIDCALL, font->GetDescW(nullptr));

  CachedFont* plain = MakeFont("Arial", 18, 0, NONANTIALIASED_QUALITY);
  ASSERT_EQ(S_OK, plain->GetDescA(&a));
  EXPECT_EQ(NONANTIALIASED_QUALITY, a.Quality);
  CachedFont* clear = MakeFont("Arial", 18, 0, CLEARTYPE_QUALITY);
  ASSERT_EQ(S_OK, clear->GetDescA(&a));
  EXPECT_EQ(CLEARTYPE_QUALITY, a.Quality);
}

TEST_F(FontTest, LongFaceNamesKeepTheirFirst31Characters) {
  const std::string longName(40, 'x');
  CachedFont* font = MakeFont(longName.c_str(), 18);
  D3DXFONT_DESCA a{};
  ASSERT_EQ(S_OK, font->GetDescA(&a));
  EXPECT_EQ(std::string(31, 'x'), std::string(a.FaceName));

  win32::ComRef<ID3DXFont> wide;
  const std::u16string longWide(40, u'y');
  ASSERT_EQ(S_OK, D3DXCreateFontW(device, 18, 0, 0, 0, FALSE, 0, 0, 0, 0, longWide.c_str(),
                                  wide.Receive()));
  D3DXFONT_DESCW w{};
  ASSERT_EQ(S_OK, wide->GetDescW(&w));
  EXPECT_EQ(std::u16string(31, u'y'), std::u16string(w.FaceName));
  EXPECT_EQ(0u, wide.Detach()->Release());
}

TEST_F(FontTest, IdentityDeviceAndDeviceLoss) {
  CachedFont* font = MakeFont("Arial", 18);
  void* object = nullptr;
  ASSERT_EQ(S_OK, font->QueryInterface(IID_ID3DXFont, &object));
  EXPECT_EQ(static_cast<ID3DXFont*>(font), object);
  ASSERT_EQ(S_OK, font->QueryInterface(IID_IUnknown, &object));
  EXPECT_EQ(4u, font->AddRef());
  EXPECT_EQ(3u, font->Release());
  EXPECT_EQ(2u, font->Release());
  EXPECT_EQ(1u, font->Release());
  object = &object;
  EXPECT_EQ(E_NOINTERFACE, font->QueryInterface(IID_ID3DXSprite, &object));
  EXPECT_EQ(&object, object);

  IDirect3DDevice9* owner = nullptr;
  ASSERT_EQ(S_OK, font->GetDevice(&owner));
  EXPECT_EQ(device, owner);
  owner->Release();
  EXPECT_EQ(D3DERR_INVALIDCALL, font->GetDevice(nullptr));
  EXPECT_NE(nullptr, font->GetDC());

  // Without a sprite of its own there is nothing to lose; after a draw its sprite follows.
  EXPECT_EQ(nullptr, font->sprite);
  EXPECT_EQ(S_OK, font->OnLostDevice());
  RECT rect = {0, 0, 64, 64};
  ASSERT_EQ(S_OK, device->BeginScene());
  EXPECT_GT(font->DrawTextA(nullptr, "Hi", 2, &rect, 0, 0xFFFFFFFF), 0);
  device->EndScene();
  ASSERT_NE(nullptr, font->sprite);
  EXPECT_EQ(S_OK, font->OnLostDevice());
  EXPECT_EQ(S_OK, font->OnResetDevice());
}

TEST_F(FontTest, BadArgumentsAreRefused) {
  ID3DXFont* font = nullptr;
  D3DXFONT_DESCA desc{};
  desc.Height = 18;
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCreateFontIndirectA(device, &desc, nullptr));
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCreateFontIndirectA(nullptr, &desc, &font));
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCreateFontIndirectA(device, nullptr, &font));
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCreateFontIndirectW(device, nullptr, &font));
  EXPECT_EQ(nullptr, font);
}

TEST_F(FontTest, EveryRefusedAllocationFailsCleanly) {
  int refusals = 0;
  for (int allowed = 0;; ++allowed) {
    ID3DXFont* font = nullptr;
    testing_hooks::FailAllocationAfter(allowed);
    const HRESULT result = D3DXCreateFontA(device, 18, 0, 0, 0, FALSE, 0, 0, 0, 0, "Arial", &font);
    testing_hooks::FailAllocationAfter(-1);
    if (result == S_OK) {
      EXPECT_EQ(0u, font->Release());
      break;
    }
    EXPECT_EQ(E_OUTOFMEMORY, result) << allowed;
    EXPECT_EQ(nullptr, font);
    ++refusals;
  }
  EXPECT_GE(refusals, 2);  // the object and the mip scratch at least
}

TEST_F(FontTest, GlyphTexturesMustBeA8R8G8B8OfAtLeastOneCell) {
  ID3DXFont* font = nullptr;
  setup->profile.caps.MaxTextureWidth = 16;
  setup->profile.caps.MaxTextureHeight = 16;
  EXPECT_EQ(D3DXERR_INVALIDDATA,
            D3DXCreateFontA(device, 18, 0, 0, 0, FALSE, 0, 0, 0, 0, "Arial", &font));
  setup->profile.caps.MaxTextureWidth = 4096;
  setup->profile.caps.MaxTextureHeight = 4096;
  std::erase(setup->profile.textureFormats, D3DFMT_A8R8G8B8);
  EXPECT_EQ(D3DXERR_INVALIDDATA,
            D3DXCreateFontA(device, 18, 0, 0, 0, FALSE, 0, 0, 0, 0, "Arial", &font));
  EXPECT_EQ(nullptr, font);
}

TEST_F(FontTest, FailedRequirementChecksAreReturned) {
  ID3DXFont* font = nullptr;
  setup->FailCall("GetDeviceCaps", 1, D3DERR_NOTAVAILABLE);
  const HRESULT result = D3DXCreateFontA(device, 18, 0, 0, 0, FALSE, 0, 0, 0, 0, "Arial", &font);
  EXPECT_TRUE(FAILED(result)) << ResultName(result);
  EXPECT_EQ(nullptr, font);
}

// Exports of a module that lacks one required entry point.
win32::ModuleExports ExportsWithout(const std::vector<std::string>& names,
                                    const std::string& lacking) {
  win32::ModuleExports exports;
  for (const std::string& name : names) {
    if (name != lacking) exports.emplace_back(name, reinterpret_cast<FARPROC>(&GetCharWidthI));
  }
  return exports;
}

class ProbeTest : public FontTest {
 protected:
  void TearDown() override {
    win32::UnregisterModule("usp10.dll");
    gdi::RegisterGdiModule();
    testing_hooks::ForgetTextServicesProbe();
    FontTest::TearDown();
  }
};

TEST_F(ProbeTest, AMissingGdiEntryPointFailsUntilTheProbeSucceeds) {
  testing_hooks::ForgetTextServicesProbe();
  win32::RegisterModule(
      "gdi32.dll",
      ExportsWithout({"GetCharABCWidthsI", "GetCharWidthI", "GetFontUnicodeRanges"},
                     "GetFontUnicodeRanges"),
      true);
  ID3DXFont* font = nullptr;
  EXPECT_EQ(E_OUTOFMEMORY, D3DXCreateFontA(device, 18, 0, 0, 0, FALSE, 0, 0, 0, 0, "Arial", &font));
  EXPECT_FALSE(SharedTextServices().platformProbed);  // the next font probes again
  gdi::RegisterGdiModule();
  EXPECT_EQ(S_OK, D3DXCreateFontA(device, 18, 0, 0, 0, FALSE, 0, 0, 0, 0, "Arial", &font));
  EXPECT_TRUE(SharedTextServices().unicodeGdi);
  EXPECT_FALSE(SharedTextServices().uniscribeAvailable);
  EXPECT_EQ(0u, font->Release());
}

TEST_F(ProbeTest, ASecondFontUsesTheFirstProbe) {
  testing_hooks::ForgetTextServicesProbe();
  CachedFont* first = MakeFont("Arial", 18);
  ASSERT_NE(nullptr, first);
  // A shaping module without its entry points appears; only a new probe would notice.
  win32::RegisterModule("usp10.dll", ExportsWithout({"ScriptItemize"}, "ScriptItemize"), true);
  win32::HideModule("usp10.dll", false);
  EXPECT_NE(nullptr, MakeFont("Arial", 24));
  testing_hooks::ForgetTextServicesProbe();
  ID3DXFont* font = nullptr;
  EXPECT_EQ(E_OUTOFMEMORY, D3DXCreateFontA(device, 18, 0, 0, 0, FALSE, 0, 0, 0, 0, "Arial", &font));
  EXPECT_EQ(nullptr, font);
}

}  // namespace
