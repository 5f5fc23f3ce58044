// GDI-shaped text services over FreeType and fontconfig: fonts resolved by face name, their
// metrics and glyph widths, character placement with bidirectional reordering, and memory
// device contexts that draw glyphs into 32-bit DIB sections.
//
// Glossary. A *font* (HFONT) is a logical font: the LOGFONT it was made from and the face that
// fontconfig chose for it at that size. A *DC* (HDC) holds one selected font, one selected
// bitmap and the drawing state (colours, background mode, text alignment, current position).
// A *DIB section* (HBITMAP) is a bitmap whose pixels the caller reads and writes directly.
// Only the text mapping mode MM_TEXT exists: logical units are pixels, y grows downwards.
//
// Not done: rotated text (lfEscapement, lfOrientation), underline and strike-out (kept in the
// LOGFONT, not drawn), and emboldening of families without a bold face. Italic is slanted
// when the family has no italic or oblique face.
//
// Handles are numbers that are never reused, so a handle kept after its deletion fails
// cleanly instead of reaching another object. An object selected into a DC cannot be deleted
// until it is deselected; deleting a DC deselects what it held.
#pragma once

#include "platform/gdi/records.h"
#include "platform/win32/types.h"

// --- Fonts -----------------------------------------------------------------------------------

// NONANTIALIASED_QUALITY draws glyphs in two levels, every other quality (ClearType's
// included) in 256 grey levels. Null when the LOGFONT is missing, its height or width is
// beyond ±16384, or no face at all can be opened.
HFONT CreateFontIndirectA(const LOGFONTA* logFont);
HFONT CreateFontIndirectW(const LOGFONTW* logFont);
// Metrics of the DC's font; FALSE for a bad DC or a null record.
BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* metrics);
BOOL GetTextMetricsW(HDC dc, TEXTMETRICW* metrics);

// --- Device contexts and objects -------------------------------------------------------------

// A memory DC with the default font and a 1 x 1 placeholder bitmap selected; dc null or a
// live DC.
HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);
// Selects a font or bitmap and returns the one of its kind it replaced; null on failure (a
// bitmap can be selected into one DC at a time).
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
// FALSE for null, unknown or selected objects. The default objects are never deleted.
BOOL DeleteObject(HGDIOBJ object);
// A font gives its LOGFONT, a bitmap its BITMAP (or DIBSECTION when the buffer holds one).
// Null buffer: the size needed. Returns the bytes written, 0 on failure.
int GetObjectA(HGDIOBJ object, int size, LPVOID buffer);
int GetObjectW(HGDIOBJ object, int size, LPVOID buffer);

// 32 bits per pixel, BI_RGB, top-down (negative height) or bottom-up; no file sections.
// *bits receives the pixels (null on failure); they live until the bitmap is deleted.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                         DWORD offset);

// Each setter returns the previous value; on failure 0 (SetMapMode, SetBkMode),
// GDI_ERROR (SetTextAlign) or CLR_INVALID (the colours). Only MM_TEXT is accepted.
int SetMapMode(HDC dc, int mode);
UINT SetTextAlign(HDC dc, UINT align);
int SetBkMode(HDC dc, int mode);
COLORREF SetBkColor(HDC dc, COLORREF colour);
COLORREF SetTextColor(HDC dc, COLORREF colour);
BOOL MoveToEx(HDC dc, int x, int y, POINT* previous);

// --- Drawing ---------------------------------------------------------------------------------

// Draws count characters (or glyph indices with ETO_GLYPH_INDEX) at (x, y), placed by the
// DC's text alignment. In OPAQUE background mode, or with ETO_OPAQUE, the text's cells
// (advances x tmHeight) are first filled with the background colour; ETO_OPAQUE with a
// rectangle fills that rectangle instead and ETO_CLIPPED clips to it. Glyph coverage blends
// the text colour over the pixels. lpDx, when given, replaces the advances. Drawing is clipped
// to the selected bitmap; the ANSI form takes Windows-1252 characters (or byte glyph indices).
BOOL ExtTextOutA(HDC dc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT count,
                 const INT* dx);
BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT count,
                 const INT* dx);

// --- Glyph queries ---------------------------------------------------------------------------

// Widths of count glyphs: those listed in glyphs, or firstGlyph onwards when glyphs is null.
// A glyph index the font does not have answers for its missing-glyph box (glyph 0).
BOOL GetCharABCWidthsI(HDC dc, UINT firstGlyph, UINT count, WORD* glyphs, ABC* widths);
BOOL GetCharWidthI(HDC dc, UINT firstGlyph, UINT count, WORD* glyphs, INT* widths);
// The Basic Multilingual Plane characters the font maps, as ranges. Returns the size of the
// GLYPHSET in bytes (written when glyphSet is not null), 0 on failure.
DWORD GetFontUnicodeRanges(HDC dc, GLYPHSET* glyphSet);
// GCP_REORDER when the font holds right-to-left letters, GCP_USEKERNING when it has a kerning
// table; GCP_ERROR for a bad DC.
DWORD GetFontLanguageInfo(HDC dc);

// One glyph per character. Glyphs, advances, the output string, lpOrder and lpClass are per
// glyph position in display order (left to right), as the font object's analysis reads them:
// lpOrder[k] is the index of the character shown at position k, lpClass[k] that character's
// GCPCLASS_*. Only lpCaretPos is per character in logical order. Classes given in with
// GCP_CLASSIN are per character in logical order. With GCP_REORDER the display order is that
// of the Unicode bidirectional algorithm (paragraph direction from the GCPCLASS_PREBOUND* bits
// of lpClass[0] under GCP_CLASSIN, else from TA_RTLREADING); without it, the logical order.
// C0 control characters show the font's blank glyph.
// Returns the text's width in the low word and its height in the high word; 0 on failure.
DWORD GetCharacterPlacementA(HDC dc, LPCSTR text, int count, int maxExtent, GCP_RESULTSA* results,
                             DWORD flags);
DWORD GetCharacterPlacementW(HDC dc, LPCWSTR text, int count, int maxExtent, GCP_RESULTSW* results,
                             DWORD flags);

namespace gdi {

// Adds "gdi32.dll" with the exports that callers look up by name to the module table, as
// loaded. Done at start-up by any program that links these services; callable again.
void RegisterGdiModule();

}  // namespace gdi
