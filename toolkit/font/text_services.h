// The text services that every font of the process shares, found once by a probe: whether GDI
// takes UTF-16 text, the optional GDI glyph queries, and whether the text-shaping services of
// "usp10.dll" are there, with their entry points.
#pragma once

#include "platform/gdi/gdi.h"
#include "platform/win32/types.h"
#include "toolkit/font/script_services.h"

using GetCharABCWidthsIProc = BOOL (*)(HDC dc, UINT firstGlyph, UINT count, WORD* glyphs,
                                       ABC* widths);
using GetCharWidthIProc = BOOL (*)(HDC dc, UINT firstGlyph, UINT count, WORD* glyphs,
                                   INT* widths);
using GetFontUnicodeRangesProc = DWORD (*)(HDC dc, GLYPHSET* glyphSet);

struct TextServices {
  BOOL platformProbed = FALSE;
  BOOL unicodeGdi = FALSE;
  BOOL uniscribeAvailable = FALSE;

  // Found in "gdi32.dll" when GDI takes UTF-16 text; until then the linked ones, so that a
  // missing module never leaves a null entry point.
  GetCharABCWidthsIProc getCharABCWidthsI = GetCharABCWidthsI;
  GetCharWidthIProc getCharWidthI = GetCharWidthI;
  GetFontUnicodeRangesProc getFontUnicodeRanges = GetFontUnicodeRanges;

  ScriptItemizeProc scriptItemize = nullptr;
  ScriptShapeProc scriptShape = nullptr;
  ScriptPlaceProc scriptPlace = nullptr;
  ScriptBreakProc scriptBreak = nullptr;
  FARPROC scriptJustify = nullptr;  // required, never called
  FARPROC scriptTextOut = nullptr;  // required, never called
  ScriptGetPropertiesProc scriptGetProperties = nullptr;
  ScriptFreeCacheProc scriptFreeCache = nullptr;
  ScriptRecordDigitSubstitutionProc scriptRecordDigitSubstitution = nullptr;
  ScriptApplyDigitSubstitutionProc scriptApplyDigitSubstitution = nullptr;
  ScriptGetFontPropertiesProc scriptGetFontProperties = nullptr;
  ScriptStringAnalyseProc scriptStringAnalyse = nullptr;
  ScriptStringOutProc scriptStringOut = nullptr;
  ScriptStringFreeProc scriptStringFree = nullptr;
  ScriptStringCPtoXProc scriptStringCPtoX = nullptr;
  ScriptStringSizeProc scriptStringSize = nullptr;

  SCRIPT_DIGITSUBSTITUTE digitSubstitute{};
  // Kept as the services answered it; nothing reads it.
  const SCRIPT_PROPERTIES** scriptProperties = nullptr;
  int scriptPropertyCount = 0;
};

// The process's one record.
TextServices& SharedTextServices();

// Runs the probe unless one has succeeded. A failed probe (E_OUTOFMEMORY for a missing entry
// point) is forgotten, so the next font probes again rather than going on without it.
HRESULT ProbeTextServices();

namespace testing_hooks {

// Forgets the probe's results, so that the next font probes the modules as they are then.
void ForgetTextServicesProbe();

}  // namespace testing_hooks
