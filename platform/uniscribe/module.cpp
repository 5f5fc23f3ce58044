// The module "usp10.dll": every export that callers look up by name.
#include "platform/uniscribe/uniscribe.h"
#include "platform/win32/modules.h"

namespace uniscribe {
namespace {

template <typename Proc>
FARPROC Export(Proc proc) {
  return reinterpret_cast<FARPROC>(proc);
}

// usp10.dll comes with the program, as gdi32.dll does: it is in the module table before main.
[[maybe_unused]] const bool scriptModuleRegistered = (RegisterModule(), true);

}  // namespace

void RegisterModule() {
  win32::RegisterModule("usp10.dll",
                        {{"ScriptItemize", Export(&ScriptItemize)},
                         {"ScriptShape", Export(&ScriptShape)},
                         {"ScriptPlace", Export(&ScriptPlace)},
                         {"ScriptBreak", Export(&ScriptBreak)},
                         {"ScriptJustify", Export(&ScriptJustify)},
                         {"ScriptTextOut", Export(&ScriptTextOut)},
                         {"ScriptGetProperties", Export(&ScriptGetProperties)},
                         {"ScriptFreeCache", Export(&ScriptFreeCache)},
                         {"ScriptRecordDigitSubstitution", Export(&ScriptRecordDigitSubstitution)},
                         {"ScriptApplyDigitSubstitution", Export(&ScriptApplyDigitSubstitution)},
                         {"ScriptGetFontProperties", Export(&ScriptGetFontProperties)},
                         {"ScriptStringAnalyse", Export(&ScriptStringAnalyse)},
                         {"ScriptStringOut", Export(&ScriptStringOut)},
                         {"ScriptStringFree", Export(&ScriptStringFree)},
                         {"ScriptStringCPtoX", Export(&ScriptStringCPtoX)},
                         {"ScriptString_pSize", Export(&ScriptString_pSize)}},
                        true);
}

}  // namespace uniscribe
