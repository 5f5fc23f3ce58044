// The closest-format search: distances, kinds, the device's accepted formats and list search.
#include "toolkit/image/format_choice.h"

#include <string>
#include <utility>
#include <vector>

#include "platform/win32/modules.h"
#include "tests/toolkit/image/texture_device_fixture.h"
#include "toolkit/common/debug_mute.h"

namespace image_test {
namespace {

const PixelFormatInfo& Row(D3DFORMAT format) { return GetPixelFormatInfo(format); }

TEST(FormatDistanceTest, WeighsLostChannelsAboveLostBitsAboveUnwantedChannelsAboveExtraBits) {
  EXPECT_EQ(0u, FormatDistance(Row(D3DFMT_X8R8G8B8), Row(D3DFMT_X8B8G8R8)));
  // Extra precision: 3 + 2 + 3 bits.
  EXPECT_EQ(8u, FormatDistance(Row(D3DFMT_R5G6B5), Row(D3DFMT_X8R8G8B8)));
  // An alpha channel nobody asked for.
  EXPECT_EQ(256u, FormatDistance(Row(D3DFMT_X8R8G8B8), Row(D3DFMT_A8R8G8B8)));
  // Lost precision.
  EXPECT_EQ(8u * 65536, FormatDistance(Row(D3DFMT_X8R8G8B8), Row(D3DFMT_R5G6B5)));
  // A lost alpha channel, plus the blue that G16R16 lacks and the bits it adds.
  EXPECT_EQ(1u << 24, FormatDistance(Row(D3DFMT_A8R8G8B8), Row(D3DFMT_X8R8G8B8)));
  EXPECT_EQ((1u << 24) + 8 + 8, FormatDistance(Row(D3DFMT_X8R8G8B8), Row(D3DFMT_G16R16)));
}

TEST(FormatDistanceTest, CandidatesWithoutAnyWantedChannelOrOfAForbiddenKindAreUnusable) {
  EXPECT_FALSE(FormatDistance(Row(D3DFMT_A8), Row(D3DFMT_X8R8G8B8)));
  EXPECT_FALSE(FormatDistance(Row(D3DFMT_R16F), Row(D3DFMT_A8)));
  // Colour never turns palettised, luminance never signed or depth.
  EXPECT_FALSE(FormatDistance(Row(D3DFMT_X8R8G8B8), Row(D3DFMT_P8)));
  EXPECT_FALSE(FormatDistance(Row(D3DFMT_L8), Row(D3DFMT_X8L8V8U8)));
  EXPECT_FALSE(FormatDistance(Row(D3DFMT_L16), Row(D3DFMT_D16)));
  EXPECT_FALSE(FormatDistance(Row(D3DFMT_V8U8), Row(D3DFMT_X8R8G8B8)));
  EXPECT_FALSE(FormatDistance(Row(D3DFMT_D24S8), Row(D3DFMT_A8R8G8B8)));
  // ... while palettised and luminance wishes may become colour.
  EXPECT_TRUE(FormatDistance(Row(D3DFMT_P8), Row(D3DFMT_A8R8G8B8)));
  EXPECT_TRUE(FormatDistance(Row(D3DFMT_L8), Row(D3DFMT_X8R8G8B8)));
  EXPECT_TRUE(FormatDistance(Row(D3DFMT_V8U8), Row(D3DFMT_Q8W8V8U8)));
  EXPECT_TRUE(FormatDistance(Row(D3DFMT_D16), Row(D3DFMT_D24S8)));
}

TEST(FindClosestFormatTest, SearchesTheListInOrder) {
  const D3DFORMAT list[] = {D3DFMT_P8, D3DFMT_X8B8G8R8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5,
                            D3DFMT_UNKNOWN};
  // Equal distance and size: the first listed wins.
  EXPECT_EQ(D3DFMT_X8B8G8R8, FindClosestFormat(list, false, Row(D3DFMT_R8G8B8)));
  // An exact match ends the search.
  EXPECT_EQ(D3DFMT_X8R8G8B8, FindClosestFormat(list, false, Row(D3DFMT_X8R8G8B8)));
  EXPECT_EQ(D3DFMT_R5G6B5, FindClosestFormat(list, false, Row(D3DFMT_X1R5G5B5)));
  // Palettised formats only when allowed; formats without a table row never.
  EXPECT_EQ(D3DFMT_X8B8G8R8, FindClosestFormat(list, false, Row(D3DFMT_P8)));
  EXPECT_EQ(D3DFMT_P8, FindClosestFormat(list, true, Row(D3DFMT_P8)));
  const D3DFORMAT unknownOnly[] = {static_cast<D3DFORMAT>(0x31313131), D3DFMT_UNKNOWN};
  EXPECT_EQ(D3DFMT_UNKNOWN, FindClosestFormat(unknownOnly, true, Row(D3DFMT_A8R8G8B8)));
  const D3DFORMAT depthOnly[] = {D3DFMT_D16, D3DFMT_UNKNOWN};
  EXPECT_EQ(D3DFMT_UNKNOWN, FindClosestFormat(depthOnly, true, Row(D3DFMT_A8R8G8B8)));
}

TEST(FindClosestFormatTest, FewerBitsWinAtEqualDistance) {
  // A8L8 and A8R8G8B8 both add only alpha to L8's wish, and A8L8 is smaller.
  PixelFormatInfo keyedL8 = Row(D3DFMT_L8);
  keyedL8.format = D3DFMT_UNKNOWN;
  keyedL8.alphaBits = 1;
  const D3DFORMAT list[] = {D3DFMT_A8R8G8B8, D3DFMT_A8L8, D3DFMT_UNKNOWN};
  EXPECT_EQ(D3DFMT_A8L8, FindClosestFormat(list, false, keyedL8));
  EXPECT_EQ(D3DFMT_A8L8, FindClosestDeviceFormat(nullptr, 0, D3DRTYPE_TEXTURE, keyedL8));
}

using DeviceFormatTest = TextureDeviceTest;

TEST_F(DeviceFormatTest, AnAcceptedExactMatchNeedsNoCandidateFlag) {
  setup->profile.textureFormats.push_back(D3DFMT_R8G8B8);
  EXPECT_EQ(D3DFMT_R8G8B8,
            FindClosestDeviceFormat(device, 0, D3DRTYPE_TEXTURE, Row(D3DFMT_R8G8B8)));
  // Without it the closest candidate: X8R8G8B8 scores as X8B8G8R8 and comes first.
  setup->profile.textureFormats.pop_back();
  EXPECT_EQ(D3DFMT_X8R8G8B8,
            FindClosestDeviceFormat(device, 0, D3DRTYPE_TEXTURE, Row(D3DFMT_R8G8B8)));
  setup->profile.textureFormats = {D3DFMT_X8B8G8R8, D3DFMT_A8R8G8B8};
  EXPECT_EQ(D3DFMT_X8B8G8R8,
            FindClosestDeviceFormat(device, 0, D3DRTYPE_TEXTURE, Row(D3DFMT_R8G8B8)));
  // A format the device refuses is never chosen, not even when wished exactly.
  EXPECT_EQ(D3DFMT_A8R8G8B8,
            FindClosestDeviceFormat(device, 0, D3DRTYPE_TEXTURE, Row(D3DFMT_A4R4G4B4)));
}

TEST_F(DeviceFormatTest, KindsStayApartOnTheDevice) {
  setup->profile.textureFormats = {D3DFMT_V8U8, D3DFMT_D16, D3DFMT_X8R8G8B8, D3DFMT_A8P8};
  EXPECT_EQ(D3DFMT_X8R8G8B8,
            FindClosestDeviceFormat(device, 0, D3DRTYPE_TEXTURE, Row(D3DFMT_L8)));
  EXPECT_EQ(D3DFMT_X8R8G8B8,
            FindClosestDeviceFormat(device, 0, D3DRTYPE_TEXTURE, Row(D3DFMT_X4R4G4B4)));
  setup->profile.textureFormats = {D3DFMT_V8U8, D3DFMT_D16, D3DFMT_A8P8};
  EXPECT_EQ(D3DFMT_UNKNOWN, FindClosestDeviceFormat(device, 0, D3DRTYPE_TEXTURE, Row(D3DFMT_L8)));
  EXPECT_EQ(D3DFMT_A8P8, FindClosestDeviceFormat(device, 0, D3DRTYPE_TEXTURE, Row(D3DFMT_P8)));
}

TEST_F(DeviceFormatTest, AsksTheAdapterForEveryRowWithTheDisplayFormatAndKind) {
  const ULONG references = Direct3DReferences();
  setup->ClearLog();
  EXPECT_EQ(D3DFMT_X8R8G8B8, FindClosestDeviceFormat(device, D3DUSAGE_DYNAMIC,
                                                     D3DRTYPE_CUBETEXTURE, Row(D3DFMT_X8R8G8B8)));
  const std::vector<d3d9::CallRecord> checks = setup->CallsNamed("IDirect3D9::CheckDeviceFormat");
  // Rows up to X8R8G8B8 (the third) are asked about; the match ends the search.
  ASSERT_EQ(3u, checks.size());
  EXPECT_EQ((std::vector<std::int64_t>{0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_DYNAMIC,
                                       D3DRTYPE_CUBETEXTURE, D3DFMT_X8R8G8B8}),
            checks[2].arguments);
  EXPECT_EQ(references, Direct3DReferences());
}

TEST_F(DeviceFormatTest, VertexTexturesOfSoftwareProcessingDevicesAreAskedForSoftware) {
  auto direct3d = win32::ComRef<IDirect3D9>::Adopt(d3d9::CreateTestDirect3D(setup));
  D3DPRESENT_PARAMETERS parameters{};
  parameters.BackBufferWidth = 16;
  parameters.BackBufferHeight = 16;
  parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
  parameters.BackBufferCount = 1;
  parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
  parameters.Windowed = TRUE;
  win32::ComRef<IDirect3DDevice9> software;
  ASSERT_EQ(S_OK,
            direct3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                   &parameters, software.Receive()));
  direct3d.Reset();
  setup->ClearLog();
  FindClosestDeviceFormat(software.Get(), D3DUSAGE_QUERY_VERTEXTEXTURE, D3DRTYPE_TEXTURE,
                          Row(D3DFMT_A8R8G8B8));
  std::vector<d3d9::CallRecord> checks = setup->CallsNamed("IDirect3D9::CheckDeviceFormat");
  ASSERT_FALSE(checks.empty());
  EXPECT_EQ(D3DUSAGE_QUERY_VERTEXTEXTURE | D3DUSAGE_SOFTWAREPROCESSING, checks[0].arguments[3]);
  software.Reset();

  // A hardware-processing device asks as it was asked.
  setup->ClearLog();
  FindClosestDeviceFormat(device, D3DUSAGE_QUERY_VERTEXTEXTURE, D3DRTYPE_TEXTURE,
                          Row(D3DFMT_A8R8G8B8));
  checks = setup->CallsNamed("IDirect3D9::CheckDeviceFormat");
  ASSERT_FALSE(checks.empty());
  EXPECT_EQ(D3DUSAGE_QUERY_VERTEXTEXTURE, checks[0].arguments[3]);
}

// A debug layer that notes, at each adapter question, whether it was muted.
bool debugLayerMuted = false;
std::vector<BOOL> muteCalls;
BOOL FakeDebugSetMute(BOOL mute) {
  muteCalls.push_back(mute);
  const BOOL previous = debugLayerMuted ? TRUE : FALSE;
  debugLayerMuted = mute != FALSE;
  return previous;
}

TEST_F(DeviceFormatTest, TheDebugLayerIsMutedDuringTheSearch) {
  testing_hooks::ResetDebugMute();
  muteCalls.clear();
  win32::RegisterModule("d3d9d.dll",
                        {{"DebugSetMute", reinterpret_cast<FARPROC>(FakeDebugSetMute)}}, true);
  EXPECT_EQ(D3DFMT_A8R8G8B8,
            FindClosestDeviceFormat(device, 0, D3DRTYPE_TEXTURE, Row(D3DFMT_A8R8G8B8)));
  win32::UnregisterModule("d3d9d.dll");
  testing_hooks::ResetDebugMute();
  EXPECT_EQ((std::vector<BOOL>{TRUE, FALSE}), muteCalls);
  EXPECT_FALSE(debugLayerMuted);
}

}  // namespace
}  // namespace image_test
