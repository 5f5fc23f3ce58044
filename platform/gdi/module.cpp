// The module "gdi32.dll": the exports that callers look up by name rather than link to.
#include "platform/gdi/gdi.h"
#include "platform/win32/modules.h"

namespace gdi {

void RegisterGdiModule() {
  win32::RegisterModule(
      "gdi32.dll",
      {{"GetCharABCWidthsI", reinterpret_cast<FARPROC>(&GetCharABCWidthsI)},
       {"GetCharWidthI", reinterpret_cast<FARPROC>(&GetCharWidthI)},
       {"GetFontUnicodeRanges", reinterpret_cast<FARPROC>(&GetFontUnicodeRanges)}},
      true);
}

}  // namespace gdi
