// Present without a display, the placement of frames on the window, device status and the
// runtime's module.
#include "platform/d3d9/presenter.h"
#include "platform/win32/com_object.h"
#include "platform/win32/modules.h"
#include "tests/platform/d3d9/device_fixture.h"

namespace d3d9_test {
namespace {

using PresentationTest = DeviceTest;

TEST_F(PresentationTest, PresentKeepsTheFrameWithoutADisplay) {
  EXPECT_EQ(nullptr, d3d9::LastPresentedFrame(device));
  ClearTo(0xFF102030);
  ASSERT_EQ(S_OK, device->BeginScene());
  DrawQuad(0, 0, 2, 1, 0xFFFFFFFF);
  ASSERT_EQ(S_OK, device->EndScene());
  ASSERT_EQ(S_OK, device->Present(nullptr, nullptr, nullptr, nullptr));
  const d3d9::PresentedFrame* frame = d3d9::LastPresentedFrame(device);
  ASSERT_NE(nullptr, frame);
  EXPECT_EQ(width, frame->width);
  EXPECT_EQ(height, frame->height);
  EXPECT_EQ(0xFFFFFFFFu, frame->pixels[1]);
  EXPECT_EQ(0xFF102030u, frame->pixels[2]);
  EXPECT_EQ(S_OK, device->TestCooperativeLevel());
}

TEST(FramePlacementTest, LargestWholeScaleCentredOnBlack) {
  const d3d9::Placement fullHd = d3d9::PlaceFrame(640, 480, 1920, 1080);
  EXPECT_EQ(2, fullHd.scale);
  EXPECT_EQ(320, fullHd.x);
  EXPECT_EQ(60, fullHd.y);
  const d3d9::Placement exact = d3d9::PlaceFrame(640, 480, 640, 480);
  EXPECT_EQ(1, exact.scale);
  EXPECT_EQ(0, exact.x);
  // A window smaller than the frame shows it unscaled, centred (cut at the edges).
  const d3d9::Placement small = d3d9::PlaceFrame(640, 480, 320, 480);
  EXPECT_EQ(1, small.scale);
  EXPECT_EQ(-160, small.x);
}

TEST(RuntimeModuleTest, Direct3DCreate9RegistersTheModuleWithItsExport) {
  const auto direct3d = win32::ComRef<IDirect3D9>::Adopt(Direct3DCreate9(D3D_SDK_VERSION));
  HMODULE module = GetModuleHandleA("d3d9.dll");
  ASSERT_NE(nullptr, module);
  EXPECT_EQ(reinterpret_cast<FARPROC>(&Direct3DCreate9), GetProcAddress(module, "Direct3DCreate9"));
  EXPECT_EQ(nullptr, GetProcAddress(module, "DebugSetMute"));
}

TEST(DeviceCreationTest, TheGamesFullScreenParametersMakeADevice) {
  auto direct3d = win32::ComRef<IDirect3D9>::Adopt(Direct3DCreate9(31));
  D3DDISPLAYMODE mode;
  ASSERT_EQ(S_OK, direct3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode));
  D3DPRESENT_PARAMETERS parameters{};
  parameters.BackBufferWidth = 640;
  parameters.BackBufferHeight = 480;
  parameters.BackBufferFormat = mode.Format;
  parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
  parameters.Windowed = FALSE;
  win32::ComRef<IDirect3DDevice9> device;
  ASSERT_EQ(S_OK, direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                         D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters,
                                         device.Receive()));
  D3DDEVICE_CREATION_PARAMETERS creation;
  ASSERT_EQ(S_OK, device->GetCreationParameters(&creation));
  EXPECT_EQ(DWORD(D3DCREATE_HARDWARE_VERTEXPROCESSING), creation.BehaviorFlags);
  D3DDISPLAYMODE deviceMode;
  ASSERT_EQ(S_OK, device->GetDisplayMode(0, &deviceMode));
  EXPECT_EQ(640u, deviceMode.Width);
  EXPECT_EQ(D3DFMT_X8R8G8B8, deviceMode.Format);
  EXPECT_EQ(S_OK, device->Present(nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(0u, device.Detach()->Release());
  EXPECT_EQ(0u, direct3d.Detach()->Release());
  // Full screen needs a size; two processing kinds at once are refused.
  parameters.BackBufferWidth = 0;
  direct3d = win32::ComRef<IDirect3D9>::Adopt(Direct3DCreate9(31));
  EXPECT_EQ(D3DERR_INVALIDCALL,
            direct3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                   &parameters, device.Receive()));
  parameters.BackBufferWidth = 640;
  EXPECT_EQ(D3DERR_INVALIDCALL, direct3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr,
                                                       D3DCREATE_HARDWARE_VERTEXPROCESSING |
                                                           D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                                       &parameters, device.Receive()));
}

}  // namespace
}  // namespace d3d9_test
