#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/graphics.h"
#include "app/shell.h"
#include "game/world.h"
#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/test_device.h"
#include "platform/win32/modules.h"
#include "platform/win32/window.h"

namespace {

using d3d9::Arg;

class GraphicsSetUpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    ASSERT_TRUE(CreateGameWindow(GetModuleHandleA(nullptr)));
    setup = std::make_shared<d3d9::TestSetup>();
  }
  void TearDown() override {
    ReleaseAllGraphics();
    DestroyWindow(window);
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
    UnregisterClassA(gameTitle, GetModuleHandleA(nullptr));
    window = nullptr;
  }

  // The logged calls with one of these names, in order.
  std::vector<std::string> Operations(const std::vector<std::string>& wanted) const {
    std::vector<std::string> names;
    for (const d3d9::CallRecord& call : setup->Log()) {
      if (std::find(wanted.begin(), wanted.end(), call.operation) != wanted.end()) {
        names.push_back(call.operation);
      }
    }
    return names;
  }

  std::shared_ptr<d3d9::TestSetup> setup;
};

TEST_F(GraphicsSetUpTest, MakesTheFullScreenDeviceThenTheBarStates) {
  SetUpDeviceOn(d3d9::CreateTestDirect3D(setup));
  ASSERT_NE(device, nullptr);

  const std::vector<d3d9::CallRecord> creations = setup->CallsNamed("IDirect3D9::CreateDevice");
  ASSERT_EQ(creations.size(), 1u);
  // Then the presentation parameters: one full-screen 640 x 480 back buffer in the display's
  // format, discarded on Present, everything else zero.
  const D3DDISPLAYMODE& mode = setup->profile.displayMode;
  const std::vector<std::int64_t> expected = {
      D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, Arg(window), D3DCREATE_HARDWARE_VERTEXPROCESSING,
      640, 480, mode.Format, 0, D3DMULTISAMPLE_NONE, 0, D3DSWAPEFFECT_DISCARD, Arg(nullptr),
      FALSE, FALSE, D3DFMT_UNKNOWN, 0, 0, D3DPRESENT_INTERVAL_DEFAULT};
  EXPECT_EQ(creations[0].arguments, expected);

  // The sprite object (its vertex declaration) is made between the device and the states.
  const std::vector<std::string> order = {"IDirect3D9::GetAdapterDisplayMode",
                                          "IDirect3D9::CreateDevice", "CreateVertexDeclaration",
                                          "SetFVF", "SetRenderState", "SetRenderState",
                                          "SetRenderState"};
  EXPECT_EQ(Operations({"IDirect3D9::GetAdapterDisplayMode", "IDirect3D9::CreateDevice",
                        "CreateVertexDeclaration", "SetFVF", "SetRenderState"}),
            order);
  EXPECT_NE(sprite, nullptr);

  DWORD fvf = 0;
  device->GetFVF(&fvf);
  EXPECT_EQ(fvf, 0x44u);
  const std::pair<D3DRENDERSTATETYPE, DWORD> states[] = {
      {D3DRS_ALPHABLENDENABLE, TRUE},
      {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
      {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
  };
  for (const auto& [state, value] : states) {
    DWORD actual = 0;
    device->GetRenderState(state, &actual);
    EXPECT_EQ(actual, value) << "render state " << state;
  }
}

TEST_F(GraphicsSetUpTest, BackBufferHasTheScreenSizeInTheDesktopFormat) {
  setup->profile.displayMode.Format = D3DFMT_A8R8G8B8;
  SetUpDeviceOn(d3d9::CreateTestDirect3D(setup));
  ASSERT_NE(device, nullptr);

  IDirect3DSurface9* backBuffer = nullptr;
  ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), S_OK);
  D3DSURFACE_DESC desc = {};
  backBuffer->GetDesc(&desc);
  backBuffer->Release();
  EXPECT_EQ(desc.Width, 640u);
  EXPECT_EQ(desc.Height, 480u);
  EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
}

TEST_F(GraphicsSetUpTest, WithoutADeviceStopsAndLeavesTheFramesUndrawn) {
  setup->FailCall("IDirect3D9::CreateDevice", 1, D3DERR_NOTAVAILABLE);
  SetUpDeviceOn(d3d9::CreateTestDirect3D(setup));
  EXPECT_EQ(device, nullptr);
  EXPECT_NE(d3d, nullptr) << "kept for the release at exit";
  EXPECT_EQ(setup->CallCount("SetFVF"), 0u);
  EXPECT_EQ(sprite, nullptr);
  ReleaseDevice();
  EXPECT_EQ(d3d, nullptr);

  SetUpDeviceOn(nullptr);  // no Direct3D at all
  EXPECT_EQ(d3d, nullptr);
  EXPECT_EQ(device, nullptr);
}

TEST_F(GraphicsSetUpTest, TheRealRuntimeGivesADevice) {
  SetUpDevice();
  EXPECT_NE(d3d, nullptr);
  EXPECT_NE(device, nullptr);
}

}  // namespace
