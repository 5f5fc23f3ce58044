// Logical fonts: creation from a LOGFONT, the LOGFONT read back, and text metrics.
#include <algorithm>

#include "platform/gdi/gdi.h"
#include "platform/gdi/objects.h"
#include "platform/win32/windows1252.h"

namespace {

// The fields before the face name are the same in both forms.
template <typename To, typename From>
void CopyNumericFields(const From& from, To* to) {
  to->lfHeight = from.lfHeight;
  to->lfWidth = from.lfWidth;
  to->lfEscapement = from.lfEscapement;
  to->lfOrientation = from.lfOrientation;
  to->lfWeight = from.lfWeight;
  to->lfItalic = from.lfItalic;
  to->lfUnderline = from.lfUnderline;
  to->lfStrikeOut = from.lfStrikeOut;
  to->lfCharSet = from.lfCharSet;
  to->lfOutPrecision = from.lfOutPrecision;
  to->lfClipPrecision = from.lfClipPrecision;
  to->lfQuality = from.lfQuality;
  to->lfPitchAndFamily = from.lfPitchAndFamily;
}

// Face names hold at most LF_FACESIZE - 1 characters and end in a null.
LOGFONTW Widened(const LOGFONTA& narrow) {
  LOGFONTW wide{};
  CopyNumericFields(narrow, &wide);
  for (int i = 0; i < LF_FACESIZE - 1 && narrow.lfFaceName[i] != 0; ++i) {
    wide.lfFaceName[i] = win32::Windows1252ToUnit(static_cast<unsigned char>(narrow.lfFaceName[i]));
  }
  return wide;
}

HFONT CreateFont(LOGFONTW logFont) {
  logFont.lfFaceName[LF_FACESIZE - 1] = 0;
  std::fill(std::find(logFont.lfFaceName, logFont.lfFaceName + LF_FACESIZE, WCHAR{0}),
            logFont.lfFaceName + LF_FACESIZE, WCHAR{0});
  gdi::FontObject font;
  font.face = gdi::FontFace::Open(logFont);
  if (!font.face) return nullptr;
  font.logFont = logFont;
  return gdi::AddFont(std::move(font));
}

// Characters beyond Windows-1252 become '?', as the ANSI code page writes them.
char NarrowCharacter(WCHAR unit) {
  unsigned char byte = '?';
  win32::UnitToWindows1252(unit, &byte);
  return static_cast<char>(byte);
}

// The byte of an ANSI-range character; characters outside that range are clamped.
BYTE NarrowMetricCharacter(WCHAR unit) {
  unsigned char byte = 0;
  if (win32::UnitToWindows1252(unit, &byte)) return byte;
  return unit < 0x100 ? static_cast<BYTE>(unit) : 0xFF;
}

}  // namespace

namespace gdi {

LOGFONTA NarrowLogFont(const LOGFONTW& wide) {
  LOGFONTA narrow{};
  CopyNumericFields(wide, &narrow);
  for (int i = 0; i < LF_FACESIZE - 1 && wide.lfFaceName[i] != 0; ++i) {
    narrow.lfFaceName[i] = NarrowCharacter(wide.lfFaceName[i]);
  }
  return narrow;
}

}  // namespace gdi

HFONT CreateFontIndirectA(const LOGFONTA* logFont) {
  return logFont != nullptr ? CreateFont(Widened(*logFont)) : nullptr;
}

HFONT CreateFontIndirectW(const LOGFONTW* logFont) {
  return logFont != nullptr ? CreateFont(*logFont) : nullptr;
}

BOOL GetTextMetricsW(HDC dc, TEXTMETRICW* metrics) {
  const gdi::FontFace* face = gdi::FaceOfDc(dc);
  if (face == nullptr || metrics == nullptr) return FALSE;
  *metrics = face->Metrics();
  return TRUE;
}

BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* metrics) {
  TEXTMETRICW wide{};
  if (metrics == nullptr || !GetTextMetricsW(dc, &wide)) return FALSE;
  metrics->tmHeight = wide.tmHeight;
  metrics->tmAscent = wide.tmAscent;
  metrics->tmDescent = wide.tmDescent;
  metrics->tmInternalLeading = wide.tmInternalLeading;
  metrics->tmExternalLeading = wide.tmExternalLeading;
  metrics->tmAveCharWidth = wide.tmAveCharWidth;
  metrics->tmMaxCharWidth = wide.tmMaxCharWidth;
  metrics->tmWeight = wide.tmWeight;
  metrics->tmOverhang = wide.tmOverhang;
  metrics->tmDigitizedAspectX = wide.tmDigitizedAspectX;
  metrics->tmDigitizedAspectY = wide.tmDigitizedAspectY;
  metrics->tmFirstChar = NarrowMetricCharacter(wide.tmFirstChar);
  metrics->tmLastChar = wide.tmLastChar >= 0xFF ? 0xFF : NarrowMetricCharacter(wide.tmLastChar);
  metrics->tmDefaultChar = NarrowMetricCharacter(wide.tmDefaultChar);
  metrics->tmBreakChar = NarrowMetricCharacter(wide.tmBreakChar);
  metrics->tmItalic = wide.tmItalic;
  metrics->tmUnderlined = wide.tmUnderlined;
  metrics->tmStruckOut = wide.tmStruckOut;
  metrics->tmPitchAndFamily = wide.tmPitchAndFamily;
  metrics->tmCharSet = wide.tmCharSet;
  return TRUE;
}
