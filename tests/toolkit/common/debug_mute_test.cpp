#include "toolkit/common/debug_mute.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/win32/modules.h"
#include "platform/win32/registry.h"

namespace {

const char* const direct3DKey = "Software\\Direct3D";

// Fake debug layers: each records its mute calls and answers its previous state.
struct FakeDebugLayer {
  std::string module;
  BOOL muted;
};
FakeDebugLayer runtimeLayer;  // "d3d9.dll"
FakeDebugLayer debugLayer;    // "d3d9d.dll"
std::vector<std::pair<std::string, BOOL>> muteCalls;

BOOL RecordMute(FakeDebugLayer& layer, BOOL mute) {
  muteCalls.emplace_back(layer.module, mute);
  BOOL previous = layer.muted;
  layer.muted = mute;
  return previous;
}
BOOL RuntimeDebugSetMute(BOOL mute) { return RecordMute(runtimeLayer, mute); }
BOOL DebugLayerDebugSetMute(BOOL mute) { return RecordMute(debugLayer, mute); }

void RegisterLayer(const std::string& module, BOOL (*hook)(BOOL), bool loaded) {
  win32::RegisterModule(module, {{"DebugSetMute", reinterpret_cast<FARPROC>(hook)}}, loaded);
}

using MuteCalls = std::vector<std::pair<std::string, BOOL>>;

class DebugMuteTest : public ::testing::Test {
 protected:
  void SetUp() override { Restart(); }
  void TearDown() override {
    win32::UnregisterModule("d3d9d.dll");
    if (replacedRuntime) win32::UnregisterModule("d3d9.dll");
    Restart();
  }
  void Restart() {
    win32::ClearRegistry();
    testing_hooks::ResetDebugMute();
    runtimeLayer = {"d3d9.dll", FALSE};
    debugLayer = {"d3d9d.dll", FALSE};
    muteCalls.clear();
  }
  void RegisterRuntimeLayer() {
    replacedRuntime = true;
    RegisterLayer("d3d9.dll", RuntimeDebugSetMute, true);
  }

  bool replacedRuntime = false;
};

TEST_F(DebugMuteTest, CallsTheHookWhenTheValueIsMissing) {
  RegisterLayer("d3d9d.dll", DebugLayerDebugSetMute, true);
  EXPECT_EQ(FALSE, D3DXDebugMute(TRUE));
  EXPECT_EQ(TRUE, D3DXDebugMute(FALSE));
  EXPECT_EQ((MuteCalls{{"d3d9d.dll", TRUE}, {"d3d9d.dll", FALSE}}), muteCalls);
}

TEST_F(DebugMuteTest, CallsTheHookWhenTheValueIsZero) {
  win32::SetRegistryDword(HKEY_LOCAL_MACHINE, direct3DKey, "D3DXDoNotMute", 0);
  RegisterLayer("d3d9d.dll", DebugLayerDebugSetMute, true);
  D3DXDebugMute(TRUE);
  EXPECT_EQ((MuteCalls{{"d3d9d.dll", TRUE}}), muteCalls);
}

TEST_F(DebugMuteTest, NonZeroValueKeepsTheOutputOn) {
  win32::SetRegistryDword(HKEY_LOCAL_MACHINE, direct3DKey, "D3DXDoNotMute", 1);
  RegisterLayer("d3d9d.dll", DebugLayerDebugSetMute, true);
  EXPECT_EQ(FALSE, D3DXDebugMute(TRUE));
  EXPECT_EQ(FALSE, D3DXDebugMute(FALSE));
  EXPECT_EQ(MuteCalls{}, muteCalls);
}

struct MalformedValue {
  const char* description;
  DWORD type;
  std::vector<BYTE> data;
};

class DebugMuteMalformedValueTest : public DebugMuteTest,
                                    public ::testing::WithParamInterface<MalformedValue> {};

TEST_P(DebugMuteMalformedValueTest, CountsAsZero) {
  win32::SetRegistryValue(HKEY_LOCAL_MACHINE, direct3DKey, "D3DXDoNotMute", GetParam().type,
                          GetParam().data);
  RegisterLayer("d3d9d.dll", DebugLayerDebugSetMute, true);
  D3DXDebugMute(TRUE);
  EXPECT_EQ((MuteCalls{{"d3d9d.dll", TRUE}}), muteCalls) << GetParam().description;
}

INSTANTIATE_TEST_SUITE_P(
    WrongTypeOrSize, DebugMuteMalformedValueTest,
    ::testing::Values(MalformedValue{"string", REG_SZ, {'1', 0}},
                      MalformedValue{"binary", REG_BINARY, {1, 0, 0, 0}},
                      MalformedValue{"two-byte dword", REG_DWORD, {1, 0}},
                      MalformedValue{"eight-byte dword", REG_DWORD, {1, 0, 0, 0, 0, 0, 0, 0}}));

TEST_F(DebugMuteTest, ReadsTheValueOncePerProcess) {
  win32::SetRegistryDword(HKEY_LOCAL_MACHINE, direct3DKey, "D3DXDoNotMute", 0);
  RegisterLayer("d3d9d.dll", DebugLayerDebugSetMute, true);
  const int queriesBefore = win32::RegistryQueryCount();
  D3DXDebugMute(TRUE);
  // Changing the value later has no effect: it was read already.
  win32::SetRegistryDword(HKEY_LOCAL_MACHINE, direct3DKey, "D3DXDoNotMute", 1);
  D3DXDebugMute(FALSE);
  D3DXDebugMute(TRUE);
  EXPECT_EQ(1, win32::RegistryQueryCount() - queriesBefore);
  EXPECT_EQ(3u, muteCalls.size());
}

TEST_F(DebugMuteTest, WithoutDebugLayerDoesNothing) {
  const int queriesBefore = win32::RegistryQueryCount();
  EXPECT_EQ(FALSE, D3DXDebugMute(TRUE));
  EXPECT_EQ(FALSE, D3DXDebugMute(FALSE));
  EXPECT_EQ(0, win32::RegistryQueryCount() - queriesBefore);
}

TEST_F(DebugMuteTest, IgnoresModulesThatAreNotLoaded) {
  RegisterLayer("d3d9d.dll", DebugLayerDebugSetMute, false);
  D3DXDebugMute(TRUE);
  EXPECT_EQ(MuteCalls{}, muteCalls);
  // Still no hook known, so the next call looks again and finds the layer now loaded.
  RegisterLayer("d3d9d.dll", DebugLayerDebugSetMute, true);
  D3DXDebugMute(TRUE);
  EXPECT_EQ((MuteCalls{{"d3d9d.dll", TRUE}}), muteCalls);
}

// Searches are skipped while the module table is unchanged; loading a library changes it.
TEST_F(DebugMuteTest, FindsALayerLoadedByLibraryBetweenCalls) {
  RegisterLayer("d3d9d.dll", DebugLayerDebugSetMute, false);
  D3DXDebugMute(TRUE);
  D3DXDebugMute(TRUE);
  HMODULE layer = LoadLibraryA("d3d9d");
  ASSERT_NE(nullptr, layer);
  D3DXDebugMute(FALSE);
  EXPECT_EQ((MuteCalls{{"d3d9d.dll", FALSE}}), muteCalls);
  FreeLibrary(layer);
}

TEST_F(DebugMuteTest, KeepsTheHooksOnceFound) {
  RegisterLayer("d3d9d.dll", DebugLayerDebugSetMute, true);
  D3DXDebugMute(TRUE);
  win32::HideModule("d3d9d.dll", true);
  D3DXDebugMute(FALSE);
  win32::HideModule("d3d9d.dll", false);
  EXPECT_EQ((MuteCalls{{"d3d9d.dll", TRUE}, {"d3d9d.dll", FALSE}}), muteCalls);
}

TEST_F(DebugMuteTest, CallsBothLayersInOrderAndAnswersTheLastOne) {
  RegisterRuntimeLayer();
  RegisterLayer("d3d9d.dll", DebugLayerDebugSetMute, true);
  debugLayer.muted = TRUE;
  EXPECT_EQ(TRUE, D3DXDebugMute(TRUE));
  EXPECT_EQ((MuteCalls{{"d3d9.dll", TRUE}, {"d3d9d.dll", TRUE}}), muteCalls);
}

// Once the runtime's hook is known no module is searched again, so a debug layer loaded
// later stays unmuted.
TEST_F(DebugMuteTest, LayerLoadedAfterAHookWasFoundIsNotSearched) {
  RegisterRuntimeLayer();
  D3DXDebugMute(TRUE);
  RegisterLayer("d3d9d.dll", DebugLayerDebugSetMute, true);
  D3DXDebugMute(FALSE);
  EXPECT_EQ((MuteCalls{{"d3d9.dll", TRUE}, {"d3d9.dll", FALSE}}), muteCalls);
}

}  // namespace
