// Sizes and TEXTMETRICW values from the face's OS/2 and hhea tables, as GDI derives them.
#include "platform/gdi/face_metrics.h"

#include FT_ADVANCES_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/gdi/font_face.h"

namespace gdi {
namespace {

// The face's vertical extent in font units, Windows' way: usWinAscent and usWinDescent.
struct WinExtent {
  double ascent = 0;
  double descent = 0;
};

const TT_OS2* Os2Of(FT_Face face) {
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  return os2 != nullptr && os2->version != 0xFFFF ? os2 : nullptr;
}

WinExtent WinExtentOf(FT_Face face) {
  WinExtent extent;
  if (const TT_OS2* os2 = Os2Of(face)) {
    extent.ascent = os2->usWinAscent;
    extent.descent = os2->usWinDescent;
  }
  if (extent.ascent + extent.descent <= 0) {
    extent.ascent = face->ascender;
    extent.descent = -face->descender;
  }
  if (extent.ascent + extent.descent <= 0) extent.ascent = face->units_per_EM;
  return extent;
}

LONG Round(double value) { return static_cast<LONG>(std::lround(value)); }

// The weights of the lower-case letters a to z and the space in the average character width
// as the OS/2 table defined it before its version 3.
constexpr int kLetterWeights[27] = {64, 14, 27, 35, 100, 20, 14, 42, 63, 3, 6,  35, 20, 56,
                                    56, 17, 4,  49, 56,  71, 31, 10, 18, 3, 18, 2,  166};

double WeightedLetterWidth(FT_Face face) {
  double sum = 0;
  for (int i = 0; i < 27; ++i) {
    const FT_ULong character = i < 26 ? 'a' + i : ' ';
    const FT_UInt glyph = FT_Get_Char_Index(face, character);
    FT_Fixed advance = 0;
    if (glyph == 0 || FT_Get_Advance(face, glyph, FT_LOAD_NO_SCALE, &advance) != 0) return 0;
    sum += static_cast<double>(advance) * kLetterWeights[i];
  }
  return std::floor(sum / 1000);
}

// The average width in font units. Faces with the Latin lower case use the letter-weighted
// average, whatever their OS/2 version, so that metric-compatible faces report the averages
// of the faces they stand in for; others take xAvgCharWidth, or else half the widest advance.
double AverageWidthUnits(FT_Face face) {
  const double letters = WeightedLetterWidth(face);
  if (letters > 0) return letters;
  const TT_OS2* os2 = Os2Of(face);
  if (os2 != nullptr && os2->xAvgCharWidth > 0) return os2->xAvgCharWidth;
  return face->max_advance_width / 2.0;
}

BYTE FamilyOf(FT_Face face) {
  const TT_OS2* os2 = Os2Of(face);
  const bool fixed = FT_IS_FIXED_WIDTH(face);
  if (os2 == nullptr) return fixed ? FF_MODERN : FF_DONTCARE;
  const BYTE kind = os2->panose[0];
  const BYTE serif = os2->panose[1];
  const BYTE proportion = os2->panose[3];
  if (kind == 3) return FF_SCRIPT;
  if (kind == 4) return FF_DECORATIVE;
  if (fixed || (kind == 2 && proportion == 9)) return FF_MODERN;
  if (kind == 2 && serif >= 11 && serif <= 13) return FF_SWISS;
  if (kind == 2 && serif >= 2 && serif <= 10) return FF_ROMAN;
  return FF_DONTCARE;
}

BYTE PitchAndFamilyOf(FT_Face face) {
  BYTE bits = FamilyOf(face);
  if (!FT_IS_FIXED_WIDTH(face)) bits |= TMPF_FIXED_PITCH;
  if (FT_IS_SCALABLE(face)) bits |= TMPF_VECTOR;
  if (FT_IS_SCALABLE(face) && FT_IS_SFNT(face)) bits |= TMPF_TRUETYPE;
  return bits;
}

bool Maps(const std::vector<WCRANGE>& ranges, UINT character) {
  for (const WCRANGE& range : ranges) {
    if (character >= range.wcLow && character < range.wcLow + UINT{range.cGlyphs}) return true;
  }
  return false;
}

// Control characters are no text: the first character is the first one from the space on.
void SetCharacterRange(FT_Face face, const std::vector<WCRANGE>& ranges, TEXTMETRICW* tm) {
  UINT first = 0;
  UINT last = 0;
  for (const WCRANGE& range : ranges) {
    const UINT low = range.wcLow;
    const UINT high = low + range.cGlyphs - 1;
    if (high < 0x20) continue;
    if (first == 0) first = std::max<UINT>(low, 0x20);
    last = high;
  }
  tm->tmFirstChar = static_cast<WCHAR>(first);
  tm->tmLastChar = static_cast<WCHAR>(last);
  tm->tmBreakChar = static_cast<WCHAR>(Maps(ranges, 0x20) ? 0x20 : first);
  // The default character is the face's own, or else the code point just below the first
  // character, which the face lacks and so draws as its missing-glyph box.
  const TT_OS2* os2 = Os2Of(face);
  if (os2 != nullptr && os2->version >= 2 && os2->usDefaultChar != 0) {
    tm->tmDefaultChar = os2->usDefaultChar;
  } else {
    tm->tmDefaultChar = static_cast<WCHAR>(first > 0 ? first - 1 : 0);
  }
}

}  // namespace

std::optional<FaceSize> SizeFor(FT_Face face, const LOGFONTW& logFont) {
  if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) return std::nullopt;
  const long long height = std::llabs(static_cast<long long>(logFont.lfHeight));
  const long long width = std::llabs(static_cast<long long>(logFont.lfWidth));
  if (height > kLargestSize || width > kLargestSize) return std::nullopt;
  const WinExtent extent = WinExtentOf(face);
  const double unitsPerEm = face->units_per_EM;
  FaceSize size;
  if (logFont.lfHeight > 0) {
    size.emY = logFont.lfHeight * unitsPerEm / (extent.ascent + extent.descent);
  } else if (logFont.lfHeight < 0) {
    size.emY = static_cast<double>(height);
  } else {
    size.emY = kDefaultEmHeight;
  }
  size.emX = size.emY;
  if (width != 0) size.emX = width * unitsPerEm / AverageWidthUnits(face);
  return size;
}

std::vector<WCRANGE> MappedRanges(FT_Face face) {
  std::vector<WCRANGE> ranges;
  FT_UInt glyph = 0;
  for (FT_ULong code = FT_Get_First_Char(face, &glyph); glyph != 0 && code <= 0xFFFF;
       code = FT_Get_Next_Char(face, code, &glyph)) {
    WCRANGE* last = ranges.empty() ? nullptr : &ranges.back();
    const bool continues =
        last != nullptr && last->wcLow + FT_ULong{last->cGlyphs} == code && last->cGlyphs < 0xFFFF;
    if (continues) {
      ++last->cGlyphs;
    } else {
      ranges.push_back({static_cast<WCHAR>(code), 1});
    }
  }
  return ranges;
}

TEXTMETRICW MeasureFace(FT_Face face, const LOGFONTW& logFont, const FaceSize& size, bool slanted,
                        const std::vector<WCRANGE>& ranges) {
  const double unitsPerEm = face->units_per_EM;
  const double scaleY = size.emY / unitsPerEm;
  const double scaleX = size.emX / unitsPerEm;
  const WinExtent extent = WinExtentOf(face);
  TEXTMETRICW tm{};
  tm.tmDescent = Round(extent.descent * scaleY);
  // A cell height asked for is the height given, whatever the rounding of its parts.
  tm.tmAscent =
      logFont.lfHeight > 0 ? logFont.lfHeight - tm.tmDescent : Round(extent.ascent * scaleY);
  tm.tmHeight = tm.tmAscent + tm.tmDescent;
  tm.tmInternalLeading = std::max<LONG>(0, tm.tmHeight - Round(size.emY));
  const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
  if (hhea != nullptr) {
    const double lineUnits = hhea->Ascender - hhea->Descender + hhea->Line_Gap;
    tm.tmExternalLeading =
        std::max<LONG>(0, Round((lineUnits - extent.ascent - extent.descent) * scaleY));
  }
  tm.tmAveCharWidth = Round(AverageWidthUnits(face) * scaleX);
  const double maxAdvance = hhea != nullptr ? hhea->advance_Width_Max : face->max_advance_width;
  tm.tmMaxCharWidth = Round(maxAdvance * scaleX);
  const TT_OS2* os2 = Os2Of(face);
  if (os2 != nullptr && os2->usWeightClass != 0) {
    tm.tmWeight = os2->usWeightClass;
  } else {
    tm.tmWeight = (face->style_flags & FT_STYLE_FLAG_BOLD) != 0 ? FW_BOLD : FW_NORMAL;
  }
  tm.tmDigitizedAspectX = 96;
  tm.tmDigitizedAspectY = 96;
  SetCharacterRange(face, ranges, &tm);
  tm.tmItalic = (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0 || slanted ? 255 : 0;
  tm.tmPitchAndFamily = PitchAndFamilyOf(face);
  tm.tmCharSet = logFont.lfCharSet == DEFAULT_CHARSET ? ANSI_CHARSET : logFont.lfCharSet;
  return tm;
}

}  // namespace gdi
