// The records and constants of the GDI text services, with their published layouts and values.
#pragma once

#include "platform/win32/types.h"

using COLORREF = DWORD;

constexpr COLORREF RGB(BYTE red, BYTE green, BYTE blue) {
  return static_cast<COLORREF>(red | (green << 8) | (blue << 16));
}
constexpr BYTE GetRValue(COLORREF colour) { return static_cast<BYTE>(colour); }
constexpr BYTE GetGValue(COLORREF colour) { return static_cast<BYTE>(colour >> 8); }
constexpr BYTE GetBValue(COLORREF colour) { return static_cast<BYTE>(colour >> 16); }

constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;
constexpr DWORD GDI_ERROR = 0xFFFFFFFF;

// --- Logical fonts ---------------------------------------------------------------------------

constexpr int LF_FACESIZE = 32;

struct LOGFONTA {
  LONG lfHeight;  // > 0: cell height (ascent + descent); < 0: em height; 0: default
  LONG lfWidth;   // average character width; 0: the font's own proportions
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;  // FW_*
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  CHAR lfFaceName[LF_FACESIZE];
};

struct LOGFONTW {
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  WCHAR lfFaceName[LF_FACESIZE];
};

static_assert(sizeof(LOGFONTA) == 60 && sizeof(LOGFONTW) == 92);

constexpr LONG FW_DONTCARE = 0;
constexpr LONG FW_THIN = 100;
constexpr LONG FW_EXTRALIGHT = 200;
constexpr LONG FW_ULTRALIGHT = 200;
constexpr LONG FW_LIGHT = 300;
constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_REGULAR = 400;
constexpr LONG FW_MEDIUM = 500;
constexpr LONG FW_SEMIBOLD = 600;
constexpr LONG FW_DEMIBOLD = 600;
constexpr LONG FW_BOLD = 700;
constexpr LONG FW_EXTRABOLD = 800;
constexpr LONG FW_ULTRABOLD = 800;
constexpr LONG FW_HEAVY = 900;
constexpr LONG FW_BLACK = 900;

constexpr BYTE DEFAULT_QUALITY = 0;
constexpr BYTE DRAFT_QUALITY = 1;
constexpr BYTE PROOF_QUALITY = 2;
constexpr BYTE NONANTIALIASED_QUALITY = 3;
constexpr BYTE ANTIALIASED_QUALITY = 4;
constexpr BYTE CLEARTYPE_QUALITY = 5;
constexpr BYTE CLEARTYPE_NATURAL_QUALITY = 6;

constexpr BYTE ANSI_CHARSET = 0;
constexpr BYTE DEFAULT_CHARSET = 1;
constexpr BYTE SYMBOL_CHARSET = 2;
constexpr BYTE MAC_CHARSET = 77;
constexpr BYTE SHIFTJIS_CHARSET = 128;
constexpr BYTE HANGUL_CHARSET = 129;
constexpr BYTE JOHAB_CHARSET = 130;
constexpr BYTE GB2312_CHARSET = 134;
constexpr BYTE CHINESEBIG5_CHARSET = 136;
constexpr BYTE GREEK_CHARSET = 161;
constexpr BYTE TURKISH_CHARSET = 162;
constexpr BYTE VIETNAMESE_CHARSET = 163;
constexpr BYTE HEBREW_CHARSET = 177;
constexpr BYTE ARABIC_CHARSET = 178;
constexpr BYTE BALTIC_CHARSET = 186;
constexpr BYTE RUSSIAN_CHARSET = 204;
constexpr BYTE THAI_CHARSET = 222;
constexpr BYTE EASTEUROPE_CHARSET = 238;
constexpr BYTE OEM_CHARSET = 255;

constexpr BYTE OUT_DEFAULT_PRECIS = 0;
constexpr BYTE OUT_STRING_PRECIS = 1;
constexpr BYTE OUT_CHARACTER_PRECIS = 2;
constexpr BYTE OUT_STROKE_PRECIS = 3;
constexpr BYTE OUT_TT_PRECIS = 4;
constexpr BYTE OUT_DEVICE_PRECIS = 5;
constexpr BYTE OUT_RASTER_PRECIS = 6;
constexpr BYTE OUT_TT_ONLY_PRECIS = 7;
constexpr BYTE OUT_OUTLINE_PRECIS = 8;
constexpr BYTE CLIP_DEFAULT_PRECIS = 0;

constexpr BYTE DEFAULT_PITCH = 0;
constexpr BYTE FIXED_PITCH = 1;
constexpr BYTE VARIABLE_PITCH = 2;
constexpr BYTE FF_DONTCARE = 0x00;
constexpr BYTE FF_ROMAN = 0x10;
constexpr BYTE FF_SWISS = 0x20;
constexpr BYTE FF_MODERN = 0x30;
constexpr BYTE FF_SCRIPT = 0x40;
constexpr BYTE FF_DECORATIVE = 0x50;

// --- Text metrics ----------------------------------------------------------------------------

struct TEXTMETRICA {
  LONG tmHeight;  // tmAscent + tmDescent
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;  // tmHeight - em height
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  BYTE tmFirstChar;
  BYTE tmLastChar;
  BYTE tmDefaultChar;
  BYTE tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
};

struct TEXTMETRICW {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  WCHAR tmFirstChar;
  WCHAR tmLastChar;
  WCHAR tmDefaultChar;
  WCHAR tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
};

static_assert(sizeof(TEXTMETRICA) == 56 && sizeof(TEXTMETRICW) == 60);

// Bits of tmPitchAndFamily. TMPF_FIXED_PITCH set means a variable-pitch font (GDI's naming).
constexpr BYTE TMPF_FIXED_PITCH = 0x01;
constexpr BYTE TMPF_VECTOR = 0x02;
constexpr BYTE TMPF_TRUETYPE = 0x04;
constexpr BYTE TMPF_DEVICE = 0x08;

// --- Glyph widths and Unicode coverage -------------------------------------------------------

// A: from the pen to the ink; B: the ink's width; C: from the ink to the next pen position.
struct ABC {
  int abcA;
  UINT abcB;
  int abcC;
};

struct WCRANGE {
  WCHAR wcLow;
  USHORT cGlyphs;
};

// A variable-length record: cRanges WCRANGEs follow the header, cbThis bytes in all.
struct GLYPHSET {
  DWORD cbThis;
  DWORD flAccel;
  DWORD cGlyphsSupported;
  DWORD cRanges;
  WCRANGE ranges[1];
};

constexpr DWORD GS_8BIT_INDICES = 0x00000001;

// --- Character placement ---------------------------------------------------------------------

struct GCP_RESULTSA {
  DWORD lStructSize;
  LPSTR lpOutString;  // characters in display order
  UINT* lpOrder;      // display position of each character
  int* lpDx;          // advance of each glyph, in display order
  int* lpCaretPos;    // leading-edge x of each character
  LPSTR lpClass;      // GCPCLASS_* of each character (input with GCP_CLASSIN)
  LPWSTR lpGlyphs;    // glyph indices in display order
  UINT nGlyphs;       // in: capacity of every array; out: glyphs placed
  int nMaxFit;
};

struct GCP_RESULTSW {
  DWORD lStructSize;
  LPWSTR lpOutString;
  UINT* lpOrder;
  int* lpDx;
  int* lpCaretPos;
  LPSTR lpClass;
  LPWSTR lpGlyphs;
  UINT nGlyphs;
  int nMaxFit;
};

constexpr DWORD GCP_DBCS = 0x0001;
constexpr DWORD GCP_REORDER = 0x0002;
constexpr DWORD GCP_USEKERNING = 0x0008;
constexpr DWORD GCP_GLYPHSHAPE = 0x0010;
constexpr DWORD GCP_LIGATE = 0x0020;
constexpr DWORD GCP_DIACRITIC = 0x0100;
constexpr DWORD GCP_KASHIDA = 0x0400;
constexpr DWORD GCP_ERROR = 0x8000;
constexpr DWORD FLI_MASK = 0x103B;
constexpr DWORD GCP_JUSTIFY = 0x00010000;
constexpr DWORD FLI_GLYPHS = 0x00040000;
constexpr DWORD GCP_CLASSIN = 0x00080000;
constexpr DWORD GCP_MAXEXTENT = 0x00100000;
constexpr DWORD GCP_JUSTIFYIN = 0x00200000;
constexpr DWORD GCP_DISPLAYZWG = 0x00400000;
constexpr DWORD GCP_SYMSWAPOFF = 0x00800000;
constexpr DWORD GCP_NUMERICOVERRIDE = 0x01000000;
constexpr DWORD GCP_NEUTRALOVERRIDE = 0x02000000;
constexpr DWORD GCP_NUMERICSLATIN = 0x04000000;
constexpr DWORD GCP_NUMERICSLOCAL = 0x08000000;

constexpr BYTE GCPCLASS_LATIN = 1;
constexpr BYTE GCPCLASS_HEBREW = 2;
constexpr BYTE GCPCLASS_ARABIC = 2;
constexpr BYTE GCPCLASS_NEUTRAL = 3;
constexpr BYTE GCPCLASS_LOCALNUMBER = 4;
constexpr BYTE GCPCLASS_LATINNUMBER = 5;
constexpr BYTE GCPCLASS_LATINNUMERICTERMINATOR = 6;
constexpr BYTE GCPCLASS_LATINNUMERICSEPARATOR = 7;
constexpr BYTE GCPCLASS_NUMERICSEPARATOR = 8;
constexpr BYTE GCPCLASS_PREBOUNDLTR = 0x80;
constexpr BYTE GCPCLASS_PREBOUNDRTL = 0x40;
constexpr BYTE GCPCLASS_POSTBOUNDLTR = 0x20;
constexpr BYTE GCPCLASS_POSTBOUNDRTL = 0x10;
constexpr WORD GCPGLYPH_LINKBEFORE = 0x8000;
constexpr WORD GCPGLYPH_LINKAFTER = 0x4000;

// --- Bitmaps ---------------------------------------------------------------------------------

struct BITMAPINFOHEADER {
  DWORD biSize;
  LONG biWidth;
  LONG biHeight;  // < 0: top row first
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
};

struct RGBQUAD {
  BYTE rgbBlue;
  BYTE rgbGreen;
  BYTE rgbRed;
  BYTE rgbReserved;
};

struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
};

struct BITMAP {
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  LPVOID bmBits;
};

struct DIBSECTION {
  BITMAP dsBm;
  BITMAPINFOHEADER dsBmih;
  DWORD dsBitfields[3];
  HANDLE dshSection;
  DWORD dsOffset;
};

static_assert(sizeof(BITMAPINFOHEADER) == 40);

constexpr DWORD BI_RGB = 0;
constexpr DWORD BI_BITFIELDS = 3;
constexpr UINT DIB_RGB_COLORS = 0;
constexpr UINT DIB_PAL_COLORS = 1;

// --- Device-context state --------------------------------------------------------------------

constexpr int MM_TEXT = 1;
constexpr int MM_LOMETRIC = 2;
constexpr int MM_HIMETRIC = 3;
constexpr int MM_LOENGLISH = 4;
constexpr int MM_HIENGLISH = 5;
constexpr int MM_TWIPS = 6;
constexpr int MM_ISOTROPIC = 7;
constexpr int MM_ANISOTROPIC = 8;

constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

constexpr UINT TA_NOUPDATECP = 0;
constexpr UINT TA_UPDATECP = 1;
constexpr UINT TA_LEFT = 0;
constexpr UINT TA_RIGHT = 2;
constexpr UINT TA_CENTER = 6;
constexpr UINT TA_TOP = 0;
constexpr UINT TA_BOTTOM = 8;
constexpr UINT TA_BASELINE = 24;
constexpr UINT TA_RTLREADING = 256;
constexpr UINT TA_MASK = TA_BASELINE + TA_CENTER + TA_UPDATECP + TA_RTLREADING;

constexpr UINT ETO_OPAQUE = 0x0002;
constexpr UINT ETO_CLIPPED = 0x0004;
constexpr UINT ETO_GLYPH_INDEX = 0x0010;
constexpr UINT ETO_RTLREADING = 0x0080;
constexpr UINT ETO_IGNORELANGUAGE = 0x1000;
constexpr UINT ETO_PDY = 0x2000;
