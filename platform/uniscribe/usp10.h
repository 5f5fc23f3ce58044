// The records, constants and entry-point types of the text-shaping services ("usp10.dll"),
// with their published layouts and values. Callers find the entry points by name at run time
// (the types below); platform/uniscribe/uniscribe.h declares the functions themselves.
#pragma once

#include "platform/gdi/records.h"
#include "platform/win32/types.h"

using SCRIPT_CACHE = void*;            // per font; null until the first call that needs it
using SCRIPT_STRING_ANALYSIS = void*;  // one analysed string
using LCID = DWORD;

constexpr LCID LOCALE_NEUTRAL = 0x0000;
constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;

// A cache without a font was given no DC to read one from.
constexpr HRESULT E_PENDING = static_cast<HRESULT>(0x8000000Au);
constexpr HRESULT USP_E_SCRIPT_NOT_IN_FONT = static_cast<HRESULT>(0x80040200u);

constexpr WORD SCRIPT_UNDEFINED = 0;

struct SCRIPT_CONTROL {
  DWORD uDefaultLanguage : 16;
  DWORD fContextDigits : 1;
  DWORD fInvertPreBoundDir : 1;
  DWORD fInvertPostBoundDir : 1;
  DWORD fLinkStringBefore : 1;
  DWORD fLinkStringAfter : 1;
  DWORD fNeutralOverride : 1;
  DWORD fNumericOverride : 1;
  DWORD fLegacyBidiClass : 1;
  DWORD fMergeNeutralItems : 1;
  DWORD fReserved : 7;
};

struct SCRIPT_STATE {
  WORD uBidiLevel : 5;
  WORD fOverrideDirection : 1;
  WORD fInhibitSymSwap : 1;
  WORD fCharShape : 1;
  WORD fDigitSubstitute : 1;
  WORD fInhibitLigate : 1;
  WORD fDisplayZWG : 1;
  WORD fArabicNumContext : 1;
  WORD fGcpClusters : 1;
  WORD fReserved : 1;
  WORD fEngineReserved : 2;
};

struct SCRIPT_ANALYSIS {
  WORD eScript : 10;
  WORD fRTL : 1;
  WORD fLayoutRTL : 1;
  WORD fLinkBefore : 1;
  WORD fLinkAfter : 1;
  WORD fLogicalOrder : 1;
  WORD fNoGlyphIndex : 1;
  SCRIPT_STATE s;
};

struct SCRIPT_ITEM {
  int iCharPos;
  SCRIPT_ANALYSIS a;
};

struct SCRIPT_LOGATTR {
  BYTE fSoftBreak : 1;
  BYTE fWhiteSpace : 1;
  BYTE fCharStop : 1;
  BYTE fWordStop : 1;
  BYTE fInvalid : 1;
  BYTE fReserved : 3;
};

struct SCRIPT_VISATTR {
  WORD uJustification : 4;
  WORD fClusterStart : 1;
  WORD fDiacritic : 1;
  WORD fZeroWidth : 1;
  WORD fReserved : 1;
  WORD fShapeReserved : 8;
};

// uJustification of SCRIPT_VISATTR.
constexpr WORD SCRIPT_JUSTIFY_NONE = 0;
constexpr WORD SCRIPT_JUSTIFY_ARABIC_BLANK = 1;
constexpr WORD SCRIPT_JUSTIFY_CHARACTER = 2;
constexpr WORD SCRIPT_JUSTIFY_BLANK = 4;

// A glyph's offset from its pen position: du to the right, dv downwards (y grows downwards in
// the text mapping mode).
struct GOFFSET {
  LONG du;
  LONG dv;
};

struct SCRIPT_FONTPROPERTIES {
  int cBytes;
  WORD wgBlank;
  WORD wgDefault;
  WORD wgInvalid;
  WORD wgKashida;
  int iKashidaWidth;
};

struct SCRIPT_DIGITSUBSTITUTE {
  DWORD NationalDigitLanguage : 16;
  DWORD TraditionalDigitLanguage : 16;
  DWORD DigitSubstitute : 8;
  DWORD dwReserved;
};

constexpr DWORD SCRIPT_DIGITSUBSTITUTE_CONTEXT = 0;
constexpr DWORD SCRIPT_DIGITSUBSTITUTE_NONE = 1;
constexpr DWORD SCRIPT_DIGITSUBSTITUTE_NATIONAL = 2;
constexpr DWORD SCRIPT_DIGITSUBSTITUTE_TRADITIONAL = 3;

struct SCRIPT_PROPERTIES {
  DWORD langid : 16;
  DWORD fNumeric : 1;
  DWORD fComplex : 1;
  DWORD fNeedsWordBreaking : 1;
  DWORD fNeedsCaretInfo : 1;
  DWORD bCharSet : 8;
  DWORD fControl : 1;
  DWORD fPrivateUseArea : 1;
  DWORD fNeedsCharacterJustify : 1;
  DWORD fInvalidGlyph : 1;
  DWORD fInvalidLogAttr : 1;
  DWORD fCDM : 1;
  DWORD fAmbiguousCharSet : 1;
  DWORD fClusterSizeVaries : 1;
  DWORD fRejectInvalid : 1;
};

struct SCRIPT_TABDEF {
  int cTabStops;
  int iScale;
  int* pTabStops;
  int iTabOrigin;
};

static_assert(sizeof(SCRIPT_CONTROL) == 4 && sizeof(SCRIPT_STATE) == 2);
static_assert(sizeof(SCRIPT_ANALYSIS) == 4 && sizeof(SCRIPT_ITEM) == 8);
static_assert(sizeof(SCRIPT_LOGATTR) == 1 && sizeof(SCRIPT_VISATTR) == 2);
static_assert(sizeof(GOFFSET) == 8 && sizeof(SCRIPT_FONTPROPERTIES) == 16);
static_assert(sizeof(SCRIPT_DIGITSUBSTITUTE) == 12 && sizeof(SCRIPT_PROPERTIES) == 8);

// ScriptStringAnalyse flags.
constexpr DWORD SSA_PASSWORD = 0x00000001;
constexpr DWORD SSA_TAB = 0x00000002;
constexpr DWORD SSA_CLIP = 0x00000004;
constexpr DWORD SSA_FIT = 0x00000008;
constexpr DWORD SSA_DZWG = 0x00000010;
constexpr DWORD SSA_FALLBACK = 0x00000020;
constexpr DWORD SSA_BREAK = 0x00000040;
constexpr DWORD SSA_GLYPHS = 0x00000080;
constexpr DWORD SSA_RTL = 0x00000100;
constexpr DWORD SSA_GCP = 0x00000200;
constexpr DWORD SSA_HOTKEY = 0x00000400;
constexpr DWORD SSA_METAFILE = 0x00000800;
constexpr DWORD SSA_LINK = 0x00001000;

using ScriptItemizeProc = HRESULT (*)(const WCHAR* text, int length, int maxItems,
                                      const SCRIPT_CONTROL* control, const SCRIPT_STATE* state,
                                      SCRIPT_ITEM* items, int* itemCount);
using ScriptShapeProc = HRESULT (*)(HDC dc, SCRIPT_CACHE* cache, const WCHAR* text, int length,
                                    int maxGlyphs, SCRIPT_ANALYSIS* analysis, WORD* glyphs,
                                    WORD* clusters, SCRIPT_VISATTR* visAttrs, int* glyphCount);
using ScriptPlaceProc = HRESULT (*)(HDC dc, SCRIPT_CACHE* cache, const WORD* glyphs, int count,
                                    const SCRIPT_VISATTR* visAttrs, SCRIPT_ANALYSIS* analysis,
                                    int* advances, GOFFSET* offsets, ABC* extent);
using ScriptBreakProc = HRESULT (*)(const WCHAR* text, int length, const SCRIPT_ANALYSIS* analysis,
                                    SCRIPT_LOGATTR* attributes);
using ScriptJustifyProc = HRESULT (*)(const SCRIPT_VISATTR* visAttrs, const int* advances,
                                      int count, int dx, int minKashida, int* justified);
using ScriptTextOutProc = HRESULT (*)(HDC dc, SCRIPT_CACHE* cache, int x, int y, UINT options,
                                      const RECT* rect, const SCRIPT_ANALYSIS* analysis,
                                      const WCHAR* reserved, int reservedCount, const WORD* glyphs,
                                      int count, const int* advances, const int* justified,
                                      const GOFFSET* offsets);
using ScriptGetPropertiesProc = HRESULT (*)(const SCRIPT_PROPERTIES*** table, int* count);
using ScriptFreeCacheProc = HRESULT (*)(SCRIPT_CACHE* cache);
using ScriptRecordDigitSubstitutionProc = HRESULT (*)(LCID locale,
                                                      SCRIPT_DIGITSUBSTITUTE* substitute);
using ScriptApplyDigitSubstitutionProc = HRESULT (*)(const SCRIPT_DIGITSUBSTITUTE* substitute,
                                                     SCRIPT_CONTROL* control, SCRIPT_STATE* state);
using ScriptGetFontPropertiesProc = HRESULT (*)(HDC dc, SCRIPT_CACHE* cache,
                                                SCRIPT_FONTPROPERTIES* properties);
using ScriptStringAnalyseProc = HRESULT (*)(HDC dc, const void* text, int length, int maxGlyphs,
                                            int charset, DWORD flags, int requiredWidth,
                                            SCRIPT_CONTROL* control, SCRIPT_STATE* state,
                                            const int* dx, SCRIPT_TABDEF* tabs, const BYTE* inClass,
                                            SCRIPT_STRING_ANALYSIS* analysis);
using ScriptStringOutProc = HRESULT (*)(SCRIPT_STRING_ANALYSIS analysis, int x, int y, UINT options,
                                        const RECT* clip, int selectionFirst, int selectionEnd,
                                        BOOL disabled);
using ScriptStringFreeProc = HRESULT (*)(SCRIPT_STRING_ANALYSIS* analysis);
using ScriptStringCPtoXProc = HRESULT (*)(SCRIPT_STRING_ANALYSIS analysis, int position,
                                          BOOL trailing, int* x);
using ScriptStringSizeProc = const SIZE* (*)(SCRIPT_STRING_ANALYSIS analysis);
