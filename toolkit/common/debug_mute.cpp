#include "toolkit/common/debug_mute.h"

#include <iterator>

#include "platform/win32/modules.h"
#include "platform/win32/registry.h"

namespace {

using DebugSetMuteHook = BOOL (*)(BOOL mute);

constexpr const char* debugLayerModules[] = {"d3d9.dll", "d3d9d.dll"};
constexpr std::size_t debugLayerModuleCount = std::size(debugLayerModules);

struct DebugMuteState {
  // One slot per entry of debugLayerModules; null where that module had no hook.
  DebugSetMuteHook hooks[debugLayerModuleCount] = {};
  bool hookFound = false;
  // The module table as last searched: while it stays the same, so would the search.
  std::uint64_t searchedGeneration = ~std::uint64_t(0);
  bool settingRead = false;
  bool muteDisabled = false;
};

DebugMuteState debugMute;

DebugSetMuteHook FindLoadedHook(const char* moduleName) {
  HMODULE module = GetModuleHandleA(moduleName);
  if (module == nullptr) return nullptr;
  return reinterpret_cast<DebugSetMuteHook>(GetProcAddress(module, "DebugSetMute"));
}

void FindHooks() {
  const std::uint64_t generation = win32::ModuleTableGeneration();
  if (generation == debugMute.searchedGeneration) return;
  debugMute.searchedGeneration = generation;
  for (std::size_t i = 0; i < debugLayerModuleCount; ++i) {
    debugMute.hooks[i] = FindLoadedHook(debugLayerModules[i]);
    if (debugMute.hooks[i] != nullptr) debugMute.hookFound = true;
  }
}

// The "D3DXDoNotMute" value; anything but a 4-byte REG_DWORD reads as 0.
DWORD ReadDoNotMute() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, direct3DSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return 0;
  }
  DWORD type = REG_NONE;
  DWORD value = 0;
  DWORD size = sizeof(value);
  LONG status = RegQueryValueExA(key, "D3DXDoNotMute", nullptr, &type,
                                 reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(value)) return 0;
  return value;
}

}  // namespace

BOOL D3DXDebugMute(BOOL mute) {
  if (!debugMute.hookFound) FindHooks();
  if (!debugMute.hookFound) return FALSE;
  if (!debugMute.settingRead) {
    debugMute.muteDisabled = ReadDoNotMute() != 0;
    debugMute.settingRead = true;
  }
  if (debugMute.muteDisabled) return FALSE;
  BOOL previous = FALSE;
  for (DebugSetMuteHook hook : debugMute.hooks) {
    if (hook != nullptr) previous = hook(mute);
  }
  return previous;
}

namespace testing_hooks {

void ResetDebugMute() { debugMute = DebugMuteState{}; }

}  // namespace testing_hooks
