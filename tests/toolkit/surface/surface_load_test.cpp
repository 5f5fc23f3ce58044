// D3DXLoadSurfaceFromMemory and D3DXLoadSurfaceFromSurface on the test device: the game's
// road, rectangles, result codes, the pools' locking rules with the temporary surface and its
// write-back, device copies, and device faults.
#include <gtest/gtest.h>

#include "device_helpers.h"
#include "platform/win32/modules.h"
#include "toolkit/common/allocation.h"
#include "toolkit/common/debug_mute.h"
#include "toolkit/common/defaults.h"
#include "toolkit/surface/d3dx_surface.h"

namespace {

using LoadSurface = SurfaceDeviceTest;

HRESULT LoadImage(IDirect3DSurface9* surface, const RECT* destRect, Image32& image,
                  D3DFORMAT format, DWORD filter, D3DCOLOR key = 0) {
  const RECT whole = {0, 0, static_cast<LONG>(image.width), static_cast<LONG>(image.height)};
  return D3DXLoadSurfaceFromMemory(surface, nullptr, destRect, image.Data(), format,
                                   image.width * 4, nullptr, &whole, filter, key);
}

// Every pixel of `image` inside `rect` is `inside`, every other one `outside`.
void ExpectRectFilled(const Image32& image, const RECT& rect, std::uint32_t inside,
                      std::uint32_t outside) {
  for (UINT y = 0; y < image.height; ++y) {
    for (UINT x = 0; x < image.width; ++x) {
      const bool in = LONG(x) >= rect.left && LONG(x) < rect.right && LONG(y) >= rect.top &&
                      LONG(y) < rect.bottom;
      ASSERT_EQ(image.At(x, y), in ? inside : outside) << x << ", " << y;
    }
  }
}

TEST_F(LoadSurface, GamePictureLandsTopLeftWithTransparentMargins) {
  auto texture = MakeTexture(32, 16);
  auto surface = Level(texture.Get());
  Image32 picture = NoiseImage(20, 10, 21);
  picture.At(4, 4) = 0x00000000;  // black, X byte 0
  picture.At(5, 4) = 0x7F000000;  // black, X byte 0x7F
  for (D3DCOLOR key : {0u, 0xFF000000u}) {
    ASSERT_EQ(S_OK,
              LoadImage(surface.Get(), nullptr, picture, D3DFMT_X8R8G8B8, D3DX_FILTER_NONE, key));
    const Image32 level = Read(surface.Get());
    for (UINT y = 0; y < 16; ++y) {
      for (UINT x = 0; x < 32; ++x) {
        std::uint32_t expected = 0;
        if (x < 20 && y < 10) expected = picture.At(x, y) | 0xFF000000u;
        if (key != 0 && y == 4 && (x == 4 || x == 5)) expected = 0;
        ASSERT_EQ(level.At(x, y), expected) << x << ", " << y << " key " << key;
      }
    }
  }
}

TEST_F(LoadSurface, DefaultFilterIsDitheredTriangle) {
  auto texture = MakeTexture(5, 3);
  auto surface = Level(texture.Get());
  Image32 picture = NoiseImage(9, 7, 22);
  ASSERT_EQ(S_OK, LoadImage(surface.Get(), nullptr, picture, D3DFMT_A8R8G8B8, D3DX_DEFAULT));
  const Image32 byDefault = Read(surface.Get());
  ASSERT_EQ(S_OK, LoadImage(surface.Get(), nullptr, picture, D3DFMT_A8R8G8B8,
                            D3DX_FILTER_TRIANGLE | D3DX_FILTER_DITHER));
  EXPECT_EQ(Read(surface.Get()).pixels, byDefault.pixels);
  ASSERT_EQ(S_OK, LoadImage(surface.Get(), nullptr, picture, D3DFMT_A8R8G8B8, D3DX_FILTER_BOX));
  EXPECT_NE(Read(surface.Get()).pixels, byDefault.pixels);
}

TEST_F(LoadSurface, RectanglesLimitTheWrittenPixels) {
  auto texture = MakeTexture(16, 16);
  auto surface = Level(texture.Get());
  Fill(surface.Get(), Image32(16, 16, 0x11223344));
  Image32 picture = NoiseImage(10, 10, 23);
  // The source rectangle is located in memory by the pitch: (2, 3) ... (6, 7) of the picture.
  const RECT from = {2, 3, 6, 7};
  const RECT to = {8, 4, 12, 8};
  ASSERT_EQ(S_OK,
            D3DXLoadSurfaceFromMemory(surface.Get(), nullptr, &to, picture.Data(), D3DFMT_A8R8G8B8,
                                      40, nullptr, &from, D3DX_FILTER_NONE, 0));
  const Image32 level = Read(surface.Get());
  for (UINT y = 0; y < 16; ++y) {
    for (UINT x = 0; x < 16; ++x) {
      const bool inside = x >= 8 && x < 12 && y >= 4 && y < 8;
      const std::uint32_t expected = inside ? picture.At(x - 6, y - 1) : 0x11223344u;
      ASSERT_EQ(level.At(x, y), expected) << x << ", " << y;
    }
  }
}

TEST_F(LoadSurface, ResultCodesOfBadArguments) {
  auto texture = MakeTexture(8, 8);
  auto surface = Level(texture.Get());
  Image32 picture(4, 4, 0xFF00FF00);
  const RECT whole = {0, 0, 4, 4};
  const auto load = [&](const RECT* destRect, const RECT* srcRect, DWORD filter,
                        D3DFORMAT format = D3DFMT_A8R8G8B8) {
    return D3DXLoadSurfaceFromMemory(surface.Get(), nullptr, destRect, picture.Data(), format, 16,
                                     nullptr, srcRect, filter, 0);
  };
  EXPECT_EQ(D3DERR_INVALIDCALL, load(nullptr, nullptr, D3DX_FILTER_NONE));
  EXPECT_EQ(D3DERR_INVALIDCALL,
            D3DXLoadSurfaceFromMemory(nullptr, nullptr, nullptr, picture.Data(), D3DFMT_A8R8G8B8,
                                      16, nullptr, &whole, 1, 0));
  EXPECT_EQ(D3DERR_INVALIDCALL,
            D3DXLoadSurfaceFromMemory(surface.Get(), nullptr, nullptr, nullptr, D3DFMT_A8R8G8B8, 16,
                                      nullptr, &whole, 1, 0));
  EXPECT_EQ(D3DERR_INVALIDCALL, load(nullptr, &whole, 6));
  EXPECT_EQ(D3DERR_INVALIDCALL, load(nullptr, &whole, D3DX_FILTER_NONE | (1u << 23)));
  const RECT outside = {4, 4, 9, 8}, inverted = {4, 4, 2, 8}, negative = {-1, 0, 2, 2};
  EXPECT_EQ(D3DERR_INVALIDCALL, load(&outside, &whole, D3DX_FILTER_NONE));
  EXPECT_EQ(D3DERR_INVALIDCALL, load(&inverted, &whole, D3DX_FILTER_NONE));
  EXPECT_EQ(D3DERR_INVALIDCALL, load(&negative, &whole, D3DX_FILTER_NONE));
  EXPECT_EQ(D3DERR_INVALIDCALL, load(nullptr, &inverted, D3DX_FILTER_NONE));
  EXPECT_EQ(D3DERR_INVALIDCALL, load(nullptr, &negative, D3DX_FILTER_NONE));
  EXPECT_EQ(E_FAIL, load(nullptr, &whole, D3DX_FILTER_NONE, D3DFMT_D24S8));
  // An empty destination rectangle is valid and writes nothing.
  const RECT empty = {3, 3, 3, 5};
  EXPECT_EQ(S_OK, load(&empty, &whole, D3DX_FILTER_POINT));
}

TEST_F(LoadSurface, DefaultPoolGoesThroughASystemMemoryTemporary) {
  auto texture = MakeTexture(8, 8, 1, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
  auto surface = Level(texture.Get());
  Image32 picture = NoiseImage(8, 8, 24);
  setup->ClearLog();
  ASSERT_EQ(S_OK, LoadImage(surface.Get(), nullptr, picture, D3DFMT_A8R8G8B8, D3DX_FILTER_NONE));
  const auto created = setup->CallsNamed("CreateTexture");
  ASSERT_EQ(created.size(), 1u);
  EXPECT_EQ(created[0].arguments[5], D3DPOOL_SYSTEMMEM);
  ASSERT_EQ(setup->CallsNamed("UpdateSurface").size(), 1u);
  EXPECT_EQ(setup->CallsNamed("UpdateSurface")[0].arguments[2], d3d9::Arg(surface.Get()));
  // A whole writable lock needs no copy of the old contents.
  EXPECT_TRUE(setup->CallsNamed("StretchRect").empty());
  EXPECT_EQ(ReadDefault(surface.Get()).pixels, picture.pixels);
}

TEST_F(LoadSurface, PartialLoadIntoTheDefaultPoolKeepsTheRestThroughARenderTarget) {
  auto texture = MakeTexture(8, 8, 1, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
  auto surface = Level(texture.Get());
  FillDefault(surface.Get(), Image32(8, 8, 0xFF102030));
  Image32 picture(2, 2, 0xFFABCDEF);
  const RECT to = {3, 3, 5, 5};
  setup->ClearLog();
  ASSERT_EQ(S_OK, LoadImage(surface.Get(), &to, picture, D3DFMT_A8R8G8B8, D3DX_FILTER_NONE));
  EXPECT_EQ(setup->CallsNamed("CreateRenderTarget").size(), 1u);
  EXPECT_EQ(setup->CallsNamed("StretchRect").size(), 1u);
  ExpectRectFilled(ReadDefault(surface.Get()), to, 0xFFABCDEF, 0xFF102030);
}

TEST_F(LoadSurface, FailedWriteBackIsReportedAndReleasesEverything) {
  auto texture = MakeTexture(4, 4, 1, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
  auto surface = Level(texture.Get());
  Image32 picture(4, 4, 0xFF00FF00);
  // The device refuses the write-back, and the CPU cannot lock the surface either.
  setup->FailCall("UpdateSurface", setup->CallCount("UpdateSurface") + 1, E_FAIL);
  EXPECT_EQ(D3DERR_INVALIDCALL,
            LoadImage(surface.Get(), nullptr, picture, D3DFMT_A8R8G8B8, D3DX_FILTER_NONE));
}

TEST_F(LoadSurface, RefusedLockOfAManagedSurfaceIsWrittenBackByTheCpu) {
  auto texture = MakeTexture(4, 4);
  auto surface = Level(texture.Get());
  Image32 picture = NoiseImage(4, 4, 25);
  setup->FailCall("IDirect3DSurface9::LockRect",
                  setup->CallCount("IDirect3DSurface9::LockRect") + 1, D3DERR_INVALIDCALL);
  ASSERT_EQ(S_OK, LoadImage(surface.Get(), nullptr, picture, D3DFMT_A8R8G8B8, D3DX_FILTER_NONE));
  EXPECT_EQ(Read(surface.Get()).pixels, picture.pixels);
}

TEST_F(LoadSurface, DeviceFaultsOnTheTemporaryPathArePassedOn) {
  auto texture = MakeTexture(4, 4, 1, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
  auto surface = Level(texture.Get());
  Image32 picture(4, 4, 0xFF00FF00);
  const RECT part = {0, 0, 2, 2};
  struct Fault {
    const char* operation;
    const RECT* rect;
  };
  for (Fault fault : {Fault{"CreateTexture", nullptr}, Fault{"GetSurfaceLevel", nullptr},
                      Fault{"CreateRenderTarget", &part}, Fault{"StretchRect", &part}}) {
    const std::string name = std::string(fault.operation) == "GetSurfaceLevel"
                                 ? "IDirect3DTexture9::GetSurfaceLevel"
                                 : fault.operation;
    setup->FailCall(name, setup->CallCount(name) + 1, D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(D3DERR_OUTOFVIDEOMEMORY,
              LoadImage(surface.Get(), fault.rect, picture, D3DFMT_A8R8G8B8, D3DX_FILTER_NONE))
        << name;
  }
}

TEST_F(LoadSurface, FailedLoadLeavesTheDefaultPoolSurfaceAlone) {
  auto texture = MakeTexture(4, 4, 1, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
  auto surface = Level(texture.Get());
  FillDefault(surface.Get(), Image32(4, 4, 0xFF445566));
  Image32 picture(4, 4);
  setup->ClearLog();
  EXPECT_EQ(E_FAIL, LoadImage(surface.Get(), nullptr, picture, D3DFMT_D32, D3DX_FILTER_NONE));
  EXPECT_TRUE(setup->CallsNamed("UpdateSurface").empty());
  EXPECT_EQ(ReadDefault(surface.Get()).pixels, Image32(4, 4, 0xFF445566).pixels);
}

TEST_F(LoadSurface, WholeLoadsOfSingleLevelDynamicTexturesDiscard) {
  const auto lockFlags = [&](UINT levels, const RECT* rect) {
    auto texture = MakeTexture(4, 4, levels, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, D3DUSAGE_DYNAMIC);
    auto surface = Level(texture.Get());
    Image32 picture(2, 2, 0xFF00FF00);
    setup->ClearLog();
    EXPECT_EQ(S_OK, LoadImage(surface.Get(), rect, picture, D3DFMT_A8R8G8B8, D3DX_FILTER_POINT));
    const auto locks = setup->CallsNamed("IDirect3DSurface9::LockRect");
    return locks.empty() ? -1 : locks[0].arguments[2];
  };
  const RECT part = {0, 0, 2, 2};
  EXPECT_EQ(lockFlags(1, nullptr), D3DLOCK_NOSYSLOCK | D3DLOCK_DISCARD);
  EXPECT_EQ(lockFlags(2, nullptr), D3DLOCK_NOSYSLOCK);
  EXPECT_EQ(lockFlags(1, &part), D3DLOCK_NOSYSLOCK);
}

TEST_F(LoadSurface, BlockFormatRectanglesLockWholeBlocksAndKeepTheirOtherPixels) {
  // An 8 x 8 DXT1 texture of blue; red goes into (5, 5) ... (7, 7), inside the last block.
  auto texture = MakeTexture(8, 8, 1, D3DFMT_DXT1);
  auto surface = Level(texture.Get());
  Image32 blue(8, 8, 0xFF0000FF), red(2, 2, 0xFFFF0000);
  ASSERT_EQ(S_OK, LoadImage(surface.Get(), nullptr, blue, D3DFMT_A8R8G8B8, D3DX_FILTER_NONE));
  const RECT to = {5, 5, 7, 7};
  setup->ClearLog();
  ASSERT_EQ(S_OK, LoadImage(surface.Get(), &to, red, D3DFMT_A8R8G8B8, D3DX_FILTER_NONE));
  const auto locks = setup->CallsNamed("IDirect3DSurface9::LockRect");
  ASSERT_FALSE(locks.empty());
  EXPECT_NE(locks[0].arguments[1], 0) << "a partial lock";

  // Read back through a conversion into A8R8G8B8.
  auto check = MakeTexture(8, 8);
  auto decoded = Level(check.Get());
  ASSERT_EQ(S_OK, D3DXLoadSurfaceFromSurface(decoded.Get(), nullptr, nullptr, surface.Get(),
                                             nullptr, nullptr, D3DX_FILTER_NONE, 0));
  ExpectRectFilled(Read(decoded.Get()), to, 0xFFFF0000, 0xFF0000FF);
}

TEST_F(LoadSurface, RefusedMemoryFailsCleanly) {
  auto texture = MakeTexture(8, 8, 1, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
  auto surface = Level(texture.Get());
  Image32 picture = NoiseImage(13, 11, 27);
  const RECT part = {1, 1, 7, 6};
  HRESULT hr = E_FAIL;
  const long long refusedBefore = testing_hooks::AllocationsRefused();
  for (int allowed = 0; allowed < 40 && hr != S_OK; ++allowed) {
    testing_hooks::FailAllocationAfter(allowed);
    hr = LoadImage(surface.Get(), &part, picture, D3DFMT_A8R8G8B8,
                   D3DX_FILTER_TRIANGLE | D3DX_FILTER_DITHER_DIFFUSION, 0xFF6A4C30);
    testing_hooks::FailAllocationAfter(-1);
    EXPECT_TRUE(hr == S_OK || hr == E_FAIL || hr == E_OUTOFMEMORY) << std::hex << hr;
  }
  EXPECT_EQ(S_OK, hr);
  EXPECT_GE(testing_hooks::AllocationsRefused() - refusedBefore, 1);
}

std::vector<BOOL> muteCalls;
BOOL RecordMute(BOOL mute) {
  muteCalls.push_back(mute);
  return FALSE;
}

TEST_F(LoadSurface, DebugLayerIsMutedAroundTheWriteBackOnly) {
  testing_hooks::ResetDebugMute();
  win32::RegisterModule("d3d9d.dll", {{"DebugSetMute", reinterpret_cast<FARPROC>(RecordMute)}},
                        true);
  muteCalls.clear();
  auto managed = MakeTexture(4, 4);
  auto unlockable = MakeTexture(4, 4, 1, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
  auto plain = Level(managed.Get());
  auto surface = Level(unlockable.Get());
  Image32 picture(4, 4, 0xFF00FF00);
  ASSERT_EQ(S_OK, LoadImage(plain.Get(), nullptr, picture, D3DFMT_A8R8G8B8, D3DX_FILTER_NONE));
  EXPECT_TRUE(muteCalls.empty());
  ASSERT_EQ(S_OK, LoadImage(surface.Get(), nullptr, picture, D3DFMT_A8R8G8B8, D3DX_FILTER_NONE));
  EXPECT_EQ(muteCalls, (std::vector<BOOL>{TRUE, FALSE}));
  surface.Reset();
  plain.Reset();
  unlockable.Reset();
  managed.Reset();
  win32::UnregisterModule("d3d9d.dll");
  testing_hooks::ResetDebugMute();
}

// --- From a surface -------------------------------------------------------------------------

TEST_F(LoadSurface, DeviceCopiesBetweenPools) {
  win32::ComRef<IDirect3DSurface9> target;
  ASSERT_EQ(S_OK, device->CreateRenderTarget(4, 4, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, TRUE,
                                             target.Receive(), nullptr));
  win32::ComRef<IDirect3DSurface9> system;
  ASSERT_EQ(S_OK, device->CreateOffscreenPlainSurface(4, 4, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM,
                                                      system.Receive(), nullptr));
  auto texture = MakeTexture(4, 4, 1, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, D3DUSAGE_RENDERTARGET);
  auto other = Level(texture.Get());
  const Image32 picture = NoiseImage(4, 4, 26);
  Fill(system.Get(), picture);

  setup->ClearLog();
  ASSERT_EQ(S_OK, D3DXLoadSurfaceFromSurface(target.Get(), nullptr, nullptr, system.Get(), nullptr,
                                             nullptr, D3DX_FILTER_NONE, 0));
  EXPECT_EQ(setup->CallsNamed("UpdateSurface").size(), 1u);
  EXPECT_EQ(Read(target.Get()).pixels, picture.pixels);

  setup->ClearLog();
  ASSERT_EQ(S_OK, D3DXLoadSurfaceFromSurface(other.Get(), nullptr, nullptr, target.Get(), nullptr,
                                             nullptr, D3DX_FILTER_TRIANGLE, 0));
  EXPECT_EQ(setup->CallsNamed("StretchRect").size(), 1u);

  // Box filtering and differing sizes are left to the loader (the target is lockable).
  for (DWORD filter : {D3DX_FILTER_BOX, D3DX_FILTER_POINT}) {
    setup->ClearLog();
    const RECT part = {0, 0, 2, 4};
    const RECT* rect = filter == D3DX_FILTER_POINT ? &part : nullptr;
    ASSERT_EQ(S_OK, D3DXLoadSurfaceFromSurface(target.Get(), nullptr, rect, system.Get(), nullptr,
                                               nullptr, filter, 0));
    EXPECT_TRUE(setup->CallsNamed("UpdateSurface").empty() &&
                setup->CallsNamed("StretchRect").empty())
        << "filter " << filter;
  }
}

TEST_F(LoadSurface, SurfaceLoadedIntoItselfReadsACopy) {
  auto texture = MakeTexture(4, 1);
  auto surface = Level(texture.Get());
  Image32 row(4, 1);
  row.pixels = {0xFF000001, 0xFF000002, 0xFF000003, 0xFF000004};
  Fill(surface.Get(), row);
  // Shift right by one: reading the surface while writing it would smear pixel 0.
  const RECT from = {0, 0, 3, 1}, to = {1, 0, 4, 1};
  ASSERT_EQ(S_OK, D3DXLoadSurfaceFromSurface(surface.Get(), nullptr, &to, surface.Get(), nullptr,
                                             &from, D3DX_FILTER_POINT, 0));
  const std::vector<std::uint32_t> expected = {0xFF000001, 0xFF000001, 0xFF000002, 0xFF000003};
  EXPECT_EQ(Read(surface.Get()).pixels, expected);
}

TEST_F(LoadSurface, LostDeviceIsReportedAfterReadingADefaultSurface) {
  win32::ComRef<IDirect3DSurface9> target;
  ASSERT_EQ(S_OK, device->CreateRenderTarget(4, 4, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, TRUE,
                                             target.Receive(), nullptr));
  auto texture = MakeTexture(4, 4);
  auto surface = Level(texture.Get());
  setup->FailCall("TestCooperativeLevel", setup->CallCount("TestCooperativeLevel") + 1,
                  D3DERR_DEVICENOTRESET);
  EXPECT_EQ(D3DERR_DEVICELOST,
            D3DXLoadSurfaceFromSurface(surface.Get(), nullptr, nullptr, target.Get(), nullptr,
                                       nullptr, D3DX_FILTER_NONE, 0));
  EXPECT_EQ(S_OK, D3DXLoadSurfaceFromSurface(surface.Get(), nullptr, nullptr, target.Get(), nullptr,
                                             nullptr, D3DX_FILTER_NONE, 0));
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXLoadSurfaceFromSurface(surface.Get(), nullptr, nullptr, nullptr,
                                                           nullptr, nullptr, 1, 0));
}

}  // namespace
