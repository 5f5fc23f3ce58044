#include "toolkit/font/text_services.h"

#include "platform/win32/modules.h"
#include "platform/win32/version.h"
#include "toolkit/common/result.h"

namespace {

HMODULE FindModule(LPCSTR name) {
  HMODULE module = GetModuleHandleA(name);
  return module != nullptr ? module : LoadLibraryA(name);
}

// Resolves one export into `slot`; false when the module lacks it.
template <typename Proc>
bool Resolve(HMODULE module, LPCSTR name, Proc& slot) {
  FARPROC found = GetProcAddress(module, name);
  if (found == nullptr) return false;
  slot = reinterpret_cast<Proc>(found);
  return true;
}

HRESULT ProbeGdi(TextServices& services) {
  HMODULE gdi = FindModule("gdi32.dll");
  if (gdi == nullptr) return S_OK;
  const bool found = Resolve(gdi, "GetCharABCWidthsI", services.getCharABCWidthsI) &&
                     Resolve(gdi, "GetCharWidthI", services.getCharWidthI) &&
                     Resolve(gdi, "GetFontUnicodeRanges", services.getFontUnicodeRanges);
  return found ? S_OK : E_OUTOFMEMORY;
}

HRESULT ProbeScripts(TextServices& services) {
  HMODULE scripts = FindModule("usp10.dll");
  if (scripts == nullptr) {
    services.uniscribeAvailable = FALSE;
    return S_OK;
  }
  services.uniscribeAvailable = TRUE;
  const bool found =
      Resolve(scripts, "ScriptItemize", services.scriptItemize) &&
      Resolve(scripts, "ScriptShape", services.scriptShape) &&
      Resolve(scripts, "ScriptPlace", services.scriptPlace) &&
      Resolve(scripts, "ScriptBreak", services.scriptBreak) &&
      Resolve(scripts, "ScriptJustify", services.scriptJustify) &&
      Resolve(scripts, "ScriptTextOut", services.scriptTextOut) &&
      Resolve(scripts, "ScriptGetProperties", services.scriptGetProperties) &&
      Resolve(scripts, "ScriptFreeCache", services.scriptFreeCache) &&
      Resolve(scripts, "ScriptRecordDigitSubstitution",
              services.scriptRecordDigitSubstitution) &&
      Resolve(scripts, "ScriptApplyDigitSubstitution", services.scriptApplyDigitSubstitution) &&
      Resolve(scripts, "ScriptGetFontProperties", services.scriptGetFontProperties) &&
      Resolve(scripts, "ScriptStringAnalyse", services.scriptStringAnalyse) &&
      Resolve(scripts, "ScriptStringOut", services.scriptStringOut) &&
      Resolve(scripts, "ScriptStringFree", services.scriptStringFree) &&
      Resolve(scripts, "ScriptStringCPtoX", services.scriptStringCPtoX) &&
      Resolve(scripts, "ScriptString_pSize", services.scriptStringSize);
  if (!found) return E_OUTOFMEMORY;
  services.scriptGetProperties(&services.scriptProperties, &services.scriptPropertyCount);
  services.scriptRecordDigitSubstitution(LOCALE_USER_DEFAULT, &services.digitSubstitute);
  return S_OK;
}

}  // namespace

TextServices& SharedTextServices() {
  static TextServices services;
  return services;
}

HRESULT ProbeTextServices() {
  TextServices& services = SharedTextServices();
  if (services.platformProbed) return S_OK;
  services.platformProbed = TRUE;
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof(version);
  GetVersionExA(&version);
  services.unicodeGdi = version.dwPlatformId == VER_PLATFORM_WIN32_NT ? TRUE : FALSE;
  HRESULT result = services.unicodeGdi ? ProbeGdi(services) : S_OK;
  if (SUCCEEDED(result)) result = ProbeScripts(services);
  if (FAILED(result)) services = TextServices{};
  return result;
}

namespace testing_hooks {

void ForgetTextServicesProbe() { SharedTextServices() = TextServices{}; }

}  // namespace testing_hooks
