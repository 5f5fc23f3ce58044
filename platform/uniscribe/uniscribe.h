// Text shaping as the module "usp10.dll": itemisation into runs of one script and one
// embedding level, word and cluster breaks, shaping into glyphs of a DC's face with their
// placement, and whole strings analysed with fallback faces and painted into a DC. Written over
// HarfBuzz (shaping with the FreeType face that the DC has selected), FriBidi (embedding levels),
// ICU (word, line and cluster boundaries; scripts) and fontconfig (fallback faces).
//
// Glossary. An *item* is a run of text of one script at one embedding level. A *cluster* is
// the smallest group of characters and glyphs that shaping keeps together (a base with its
// marks, a ligature, an Indic syllable). *Visual order* is left to right on the screen: glyphs of
// a right-to-left item come last character first. A *script id* (eScript) is this module's
// number for a Unicode script: ICU's script code, 0 (SCRIPT_UNDEFINED) for common characters
// that stand alone.
//
// Results: S_OK; E_INVALIDARG for null or out-of-range arguments; E_OUTOFMEMORY when the
// caller's array is too small (the caller enlarges it and calls again) or memory runs out;
// E_PENDING when a SCRIPT_CACHE without a font comes with no DC. Outputs are written only on
// success. One thread.
#pragma once

#include "platform/uniscribe/usp10.h"

// Items of `text` with their analyses and a closing item whose iCharPos is `length`, so that
// maxItems must leave room for it. `state` gives the paragraph's base level (uBidiLevel, right to
// left when odd) and the state copied into every item; null means a left-to-right paragraph.
// Items break where the embedding level or the script changes; common and inherited
// characters join the item before them (or, at the start, the one after). fRTL is set for odd
// levels; fLayoutRTL also for numbers raised to an even level inside right-to-left text, which
// read as part of it. Digits are never substituted.
HRESULT ScriptItemize(const WCHAR* text, int length, int maxItems, const SCRIPT_CONTROL* control,
                      const SCRIPT_STATE* state, SCRIPT_ITEM* items, int* itemCount);

// One SCRIPT_LOGATTR per character: fCharStop at the start of every grapheme cluster,
// fWordStop where a word starts (white space belongs to the word before it; a C0 control such
// as a tab, CR or LF is a word of its own), fSoftBreak where a line may break before the
// character, fWhiteSpace for white space.
HRESULT ScriptBreak(const WCHAR* text, int length, const SCRIPT_ANALYSIS* analysis,
                    SCRIPT_LOGATTR* attributes);

// Shapes one item (or part of one) with the DC's face: glyphs in visual order (last character
// first for fRTL, unless fLogicalOrder), for each character the glyph of its cluster that comes
// first in logical order (the leftmost for left-to-right items, the rightmost for right-to-left
// ones), and the glyphs' attributes. A character the face lacks gives the face's default glyph
// (wgDefault); C0 control characters give the blank glyph, zero-width. E_OUTOFMEMORY when more
// than maxGlyphs glyphs result. The cache keeps the face's shaping state and the positions of
// the last shaping for ScriptPlace.
HRESULT ScriptShape(HDC dc, SCRIPT_CACHE* cache, const WCHAR* text, int length, int maxGlyphs,
                    SCRIPT_ANALYSIS* analysis, WORD* glyphs, WORD* clusters,
                    SCRIPT_VISATTR* visAttrs, int* glyphCount);

// Whole-pixel advances and offsets of glyphs. Glyphs just shaped with the cache (the same glyphs
// in the same direction) get the shaping's positions, kerning and mark placement included;
// others their plain advances. `offsets` and `extent` may be null; the extent's A and C are the
// spaces before and after the ink, so that A + B + C is the sum of the advances.
HRESULT ScriptPlace(HDC dc, SCRIPT_CACHE* cache, const WORD* glyphs, int count,
                    const SCRIPT_VISATTR* visAttrs, SCRIPT_ANALYSIS* analysis, int* advances,
                    GOFFSET* offsets, ABC* extent);

// Spreads dx pixels over the blank glyphs (or, without any, adds it to the last glyph);
// minKashida is not used.
HRESULT ScriptJustify(const SCRIPT_VISATTR* visAttrs, const int* advances, int count, int dx,
                      int minKashida, int* justified);

// Paints glyphs of the DC's face as ExtTextOutW does, at the DC's text alignment, with the
// justified advances when given. `reserved` must be null and `reservedCount` 0.
HRESULT ScriptTextOut(HDC dc, SCRIPT_CACHE* cache, int x, int y, UINT options, const RECT* rect,
                      const SCRIPT_ANALYSIS* analysis, const WCHAR* reserved, int reservedCount,
                      const WORD* glyphs, int count, const int* advances, const int* justified,
                      const GOFFSET* offsets);

// A table of SCRIPT_PROPERTIES indexed by script id, alive for the whole process.
HRESULT ScriptGetProperties(const SCRIPT_PROPERTIES*** table, int* count);
// Frees the cache and sets it to null; a null cache is already free.
HRESULT ScriptFreeCache(SCRIPT_CACHE* cache);
// The blank, default (missing character), invalid-sequence and kashida glyphs of the DC's face;
// wgKashida is 0xFFFF when the face has no kashida. cBytes must be sizeof the record.
HRESULT ScriptGetFontProperties(HDC dc, SCRIPT_CACHE* cache, SCRIPT_FONTPROPERTIES* properties);

// Every locale records no substitution, with the locale's primary language (English for the
// default locales) as both national and traditional digit language.
HRESULT ScriptRecordDigitSubstitution(LCID locale, SCRIPT_DIGITSUBSTITUTE* substitute);
// Sets fDigitSubstitute, fContextDigits and uDefaultLanguage from a recorded substitution (the
// user default locale's when null).
HRESULT ScriptApplyDigitSubstitution(const SCRIPT_DIGITSUBSTITUTE* substitute,
                                     SCRIPT_CONTROL* control, SCRIPT_STATE* state);

// Analyses a whole string of UTF-16 text (charset -1) for drawing into `dc`: itemised (right to
// left with SSA_RTL), each item shaped whole, and with SSA_FALLBACK or SSA_LINK every character
// that the DC's face lacks shaped with the first of fontconfig's fallback faces (sorted for the
// DC's face, at its em size) that has it. Accepted flags: SSA_GLYPHS, SSA_FALLBACK, SSA_LINK,
// SSA_RTL; other flags, caller advances (dx) or classes (inClass) are E_INVALIDARG. The required
// width and tab stops, read only with flags not offered, are not read.
// E_OUTOFMEMORY when the string needs more than maxGlyphs glyphs. The DC must keep its font until
// the analysis is freed.
HRESULT ScriptStringAnalyse(HDC dc, const void* text, int length, int maxGlyphs, int charset,
                            DWORD flags, int requiredWidth, SCRIPT_CONTROL* control,
                            SCRIPT_STATE* state, const int* dx, SCRIPT_TABDEF* tabs,
                            const BYTE* inClass, SCRIPT_STRING_ANALYSIS* analysis);
// Paints the string into the analysis's DC as ExtTextOutW paints glyphs: its cells (the sum of
// the advances × the DC font's tmHeight) at (x, y) by the DC's alignment, the background with
// ETO_OPAQUE, clipped with ETO_CLIPPED. Selection and the disabled look are not drawn.
HRESULT ScriptStringOut(SCRIPT_STRING_ANALYSIS analysis, int x, int y, UINT options,
                        const RECT* clip, int selectionFirst, int selectionEnd, BOOL disabled);
// The x of a character's leading or trailing edge from the string's left end, for 0 <= position
// < length. Characters sharing a cluster share its width evenly, in their reading direction.
HRESULT ScriptStringCPtoX(SCRIPT_STRING_ANALYSIS analysis, int position, BOOL trailing, int* x);
// Width (sum of advances) and height (the DC font's tmHeight) of the string; null for an
// analysis that is not live.
const SIZE* ScriptString_pSize(SCRIPT_STRING_ANALYSIS analysis);
// Frees the analysis and sets it to null.
HRESULT ScriptStringFree(SCRIPT_STRING_ANALYSIS* analysis);

namespace uniscribe {

// Adds "usp10.dll" with every export above to the module table, as loaded. Done before main in
// every program that links this module (whole, as the font's library does), so that fonts shape
// their text; callable again, to put the module back after a test took it out.
void RegisterModule();

}  // namespace uniscribe
