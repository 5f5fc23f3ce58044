// CachedFont: the object behind ID3DXFont.
//
// Glossary
//   glyph       a shape of the GDI font, named by a 16-bit glyph index.
//   surface     the DIB section selected into the font's memory DC, on which one glyph (or one
//               run) at a time is drawn white on black; its green byte is the coverage.
//   cell        a square of a glyph texture that holds one glyph's image, centred, with its
//               mip levels; cells are handed out along a Z-order curve and come back only with
//               their whole texture.
//   pool        one way of cutting textures into cells of one size: the small pool for glyphs
//               up to the average width, the large pool for wider ones, the run pool for the
//               pieces of runs drawn whole.
//   record      a GlyphRecord: where a glyph's image lies in which texture, and where that
//               rectangle lies from the pen position at the top of the line.
//   word        a TextWord: a range of glyph positions that layout keeps together.
//   pen position the glyph's origin: its x on the line, and the line's top.
//   use         a call that reads or fills the cache (a DrawText, a Preload, GetGlyphData); each
//               moves `useCount` on, and every record, run and texture it touches is stamped.
//   eviction    when a new glyph texture or run would pass the budget, the least recently used
//               texture (with every glyph and run drawn into it) or run goes. Records and runs
//               handed out during the call in progress are pinned and stay.
//   retired     an evicted texture, still referenced until every sprite queue that was open
//               when it went has been drawn or emptied.
//
// Ownership: the font holds counted references to its device, its own sprite (made on the
// first DrawText without a caller sprite) and every glyph texture, retired ones included; it
// owns the GDI objects, the glyph table, the run cache and the work arrays, all freed at the
// last Release. Records handed out by CacheGlyphs stay valid until the call ends.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/gdi/gdi.h"
#include "platform/win32/types.h"
#include "toolkit/common/growable_array.h"
#include "toolkit/common/toolkit_object.h"
#include "toolkit/font/d3dx_font.h"
#include "toolkit/font/font_cache.h"
#include "toolkit/font/run_cache.h"
#include "toolkit/font/script_services.h"

struct GlyphRecord {
  // Null: not made yet; noGlyphImage: made, nothing to draw.
  IDirect3DTexture9* texture;
  std::uint16_t left, top, right, bottom;  // in level 0, right and bottom exclusive
  std::int16_t originX, originY;           // the rectangle's top-left from the pen position
};

inline IDirect3DTexture9* const noGlyphImage =
    reinterpret_cast<IDirect3DTexture9*>(~std::uintptr_t{0});

inline bool HasImage(const GlyphRecord& record) {
  return record.texture != nullptr && record.texture != noGlyphImage;
}

struct CellPool {
  IDirect3DTexture9* texture;  // cells come from here; the reference is in `textures`
  UINT nextCell;               // Z-order position in texels; textureArea: full
  UINT cellSize;               // a power of two
  UINT cellArea;
  UINT levels;
  UINT textureSize;  // a power of two
  UINT textureArea;
};

// What holds a cell of a glyph texture: a glyph of the table or a piece of a run.
struct CellOwner {
  RunEntry* run;       // null for a glyph
  std::int32_t glyph;  // -1 for a run's piece, and once the owner has gone
};

// The owners of a glyph texture's cells, in step with `textures`.
struct GlyphTextureCells {
  std::size_t bytes;  // every level
  UINT ownerCount;    // cells taken
  UINT cellCapacity;
  CellOwner* owners;
};

struct RetiredTexture {
  IDirect3DTexture9* texture;
  std::size_t bytes;
  std::uint64_t retiredAt;  // the sprite queues' clock when it went
};

// Word flags.
constexpr DWORD WF_CR = 1;
constexpr DWORD WF_LF = 2;
constexpr DWORD WF_TAB = 4;
constexpr DWORD WF_RTL = 8;
// A WF_RTL word whose glyphs read left to right (a number inside right-to-left text): it is
// split from its left end.
constexpr DWORD WF_LTR_GLYPHS = 16;

// A word owns the glyph positions from its firstGlyph to the next word's.
struct TextWord {
  INT item;
  INT firstChar;
  INT firstGlyph;
  DWORD flags;
};

struct TextLine {
  UINT firstGlyph;
  UINT endGlyph;  // exclusive
  INT width;      // pixels
};

// The glyph index of a piece of a run drawn whole.
constexpr WORD runPieceGlyph = 0xFFFF;
// Every format bit that DrawText refuses.
constexpr DWORD refusedFormatBits = 0xFFFDFA80;

template <>
struct win32::InterfaceChain<ID3DXFont> : ToolkitQueryRules {
  static constexpr std::array ids{&IID_IUnknown, &IID_ID3DXFont};
};

class CachedFont final : public ToolkitObject<ID3DXFont> {
 public:
  // D3DXCreateFontIndirectA and W: `desc` points to a D3DXFONT_DESCW when `wide`.
  static HRESULT Create(IDirect3DDevice9* device, const void* desc, bool wide, ID3DXFont** out);

  HRESULT GetDevice(IDirect3DDevice9** out) override;
  HRESULT GetDescA(D3DXFONT_DESCA* desc) override;
  HRESULT GetDescW(D3DXFONT_DESCW* desc) override;
  HDC GetDC() override;
  HRESULT GetGlyphData(UINT glyph, IDirect3DTexture9** texture, RECT* blackBox,
                       POINT* cellInc) override;
  HRESULT PreloadCharacters(UINT first, UINT last) override;
  HRESULT PreloadGlyphs(UINT first, UINT last) override;
  HRESULT PreloadTextA(LPCSTR text, INT count) override;
  HRESULT PreloadTextW(LPCWSTR text, INT count) override;
  INT DrawTextA(ID3DXSprite* sprite, LPCSTR text, INT count, RECT* rect, DWORD format,
                D3DCOLOR colour) override;
  INT DrawTextW(ID3DXSprite* sprite, LPCWSTR text, INT count, RECT* rect, DWORD format,
                D3DCOLOR colour) override;
  HRESULT OnLostDevice() override;
  HRESULT OnResetDevice() override;

  // --- Glyph cache (glyph_cache.cpp, glyph_cell.cpp, run_cache.cpp) ---
  HRESULT MakeSurface(INT width, INT height, HBITMAP* bitmap, void** bits);
  HRESULT CacheGlyphs(const WORD* glyphList, UINT count, GlyphRecord** recordsOut);
  HRESULT RenderIntoCell(INT x0, INT width, INT height, CellPool& pool, GlyphRecord& record);
  // The pieces of a run drawn whole, left to right; the arrays stay the run cache's.
  HRESULT RenderRun(const WCHAR* text, INT length, BOOL rightToLeft, INT* pieceCountOut,
                    GlyphRecord** piecesOut, INT** pieceWidthsOut);
  WORD MapToFontRange(UINT value);

  // --- Analysis (text_analysis.cpp) and layout (text_layout.cpp) ---
  HRESULT AnalyseText(const void* text, INT count, bool wide, bool rightToLeft);
  HRESULT RenderText(ID3DXSprite* callerSprite, const void* text, INT count, RECT* rect,
                     DWORD format, D3DCOLOR colour, bool wide, INT* heightOut);
  // Words and glyph positions of the last analysis (the closing entry's counts).
  UINT WordCount() const { return wordCount; }
  UINT GlyphCount() const { return glyphCount; }

  // Cell geometry from `metrics` and `mipLevels`, then fitted to the device's limits.
  void ChooseCellGeometry();
  HRESULT CheckCellTextures();

  // --- The budget (font_cache.cpp) ---
  // Brackets one use of the cache. A pinning use keeps every record and run it hands out until
  // it ends; `callerSprite` is the sprite the call draws on, if any. Outside a use (calls
  // straight into the cache) what the last use touched is pinned.
  void BeginCacheUse(bool pinningUse, ID3DXSprite* callerSprite);
  void EndCacheUse();
  void SetBudget(const FontCacheBudget& wanted);
  FontCacheUsage Usage() const;

  // The fields, in declared order (the reference count first, in the base); the font's work
  // lives in several files.
  IDirect3DDevice9* device = nullptr;
  ID3DXSprite* sprite = nullptr;
  HDC dc = nullptr;
  HFONT font = nullptr;
  HGDIOBJ previousFont = nullptr;
  HBITMAP surface = nullptr;
  HGDIOBJ previousBitmap = nullptr;
  INT surfaceWidth = 0, surfaceHeight = 0;
  std::uint32_t* surfaceBits = nullptr;
  GLYPHSET* unicodeRanges = nullptr;
  TEXTMETRICW metrics{};
  DWORD languageInfo = 0;
  SCRIPT_CACHE scriptCache = nullptr;
  SCRIPT_FONTPROPERTIES fontProperties{};
  SCRIPT_STATE scriptState{};
  SCRIPT_CONTROL scriptControl{};
  UINT blockCount = 0;
  GlyphRecord* blocks[256] = {};
  std::uint64_t* recordUses[256] = {};  // beside each block: the use that last touched a record
  RunCache runCache;
  D3DFORMAT textureFormat = D3DFMT_A8R8G8B8;
  UINT textureCount = 0;
  GrowableArray<IDirect3DTexture9*> textures;  // live glyph textures, oldest first
  GrowableArray<GlyphTextureCells> textureCells;
  UINT retiredCount = 0;
  GrowableArray<RetiredTexture> retired;
  FontCacheBudget budget = defaultFontCacheBudget;
  std::size_t textureBytes = 0;
  std::size_t retiredBytes = 0;
  std::uint64_t texturesEvicted = 0;
  std::uint64_t runsEvicted = 0;
  std::uint64_t useCount = 0;
  bool pinning = true;                   // what the current use touched stays
  ID3DXSprite* foreignSprite = nullptr;  // a caller's sprite not of this toolkit, until flushed
  CellPool smallPool{}, largePool{}, runPool{};
  float* mipScratch = nullptr;  // largePool.cellArea (value, weight) pairs
  UINT mipLevels = 0;
  GrowableArray<SCRIPT_ITEM> items;
  GrowableArray<TextWord> words;
  GrowableArray<ABC> wordExtents;
  GrowableArray<char> narrowText;
  GrowableArray<WCHAR> wideText;
  GrowableArray<UINT> order;
  GrowableArray<char> charClasses;
  GrowableArray<SCRIPT_LOGATTR> logAttrs;
  GrowableArray<WORD> clusters;
  GrowableArray<WORD> glyphs;
  GrowableArray<GlyphRecord*> glyphRecords;
  GrowableArray<INT> advances;
  GrowableArray<INT> glyphX;
  GrowableArray<GOFFSET> glyphOffsets;
  GrowableArray<SCRIPT_VISATTR> visAttrs;
  UINT lineCount = 0;
  GrowableArray<TextLine> lines;
  // GDI path, while words are put in order: the display index of each word in the order
  // layout takes them, a word's logical position (then whether it is in a backward run), and
  // whether it joins the word before.
  GrowableArray<UINT> wordOrder;

  WORD& blankGlyph = fontProperties.wgBlank;
  WORD& defaultGlyph = fontProperties.wgDefault;

 private:
  CachedFont() = default;
  ~CachedFont();

  HRESULT Initialise(IDirect3DDevice9* owner, const void* desc, bool wide);
  HRESULT CreateGdiFont(const void* desc, bool wide);
  void ReadMetrics();
  HRESULT CreateDrawingSurface();
  HRESULT FindSpecialGlyphs();

  // glyph_cache.cpp
  UINT DrawGlyph(WORD glyph, INT* shift);
  HRESULT AddGlyphTexture(CellPool& pool);
  HRESULT GlyphsOfCharacters(UINT first, UINT count, WORD* out, UINT* placed);
  // run_cache.cpp
  HRESULT CutRunIntoPieces(SCRIPT_STRING_ANALYSIS analysis, const WCHAR* text, INT length,
                           bool rightToLeft, RunEntry** out);
  HRESULT DrawAndCutRun(SCRIPT_STRING_ANALYSIS analysis, const WCHAR* text, INT length,
                        bool rightToLeft, SIZE size, RunEntry** out);
  HRESULT ReplaceSurface(INT width);
  // font_cache.cpp
  std::size_t TextureBytes(const CellPool& pool) const;
  void NoteCellOwner(IDirect3DTexture9* texture, CellOwner owner);
  void ForgetRunCells(const RunEntry& entry);
  HRESULT KeepRun(RunEntry* entry);
  void DropRun(RunEntry* entry);
  void MakeRoomForTexture(std::size_t bytes);
  bool EvictOneTexture();
  void EvictTexture(UINT index);
  std::uint64_t LastUseOf(const GlyphTextureCells& cells) const;
  bool FillsAPool(const IDirect3DTexture9* texture) const;
  void TrimToBudget();
  void ReleaseRetiredTextures();

  // text_analysis.cpp
  HRESULT AnalyseWithGdi(const void* text, INT count, bool wide, bool rightToLeft);
  // shaped_analysis.cpp
  HRESULT AnalyseWithScripts(const void* text, INT count, bool wide, bool rightToLeft);
  HRESULT ItemiseText(const WCHAR* text, INT count, INT* itemCount);
  HRESULT FindScriptWords(const WCHAR* text, INT count, UINT* total);
  HRESULT ShapeWord(const WCHAR* text, UINT word, std::size_t& maxGlyphs, std::size_t& cursor);
  HRESULT DrawWordWhole(const WCHAR* characters, INT length, bool rightToLeft, UINT word,
                        std::size_t& maxGlyphs, std::size_t& cursor);
  HRESULT KeepBlankGlyph(UINT word, std::size_t& maxGlyphs, std::size_t& cursor);
  UINT FindGdiWords(UINT glyphTotal);
  // gdi_word_order.cpp
  HRESULT OrderGdiWords(UINT words, UINT glyphTotal, bool rightToLeft, UINT* wordTotal);
  bool InLogicalOrder(UINT words, UINT glyphTotal, bool rightToLeft);
  bool ChooseRunFlags(UINT words, bool rightToLeft);
  HRESULT MoveWordsIntoOrder(UINT words, UINT glyphTotal, UINT* wordTotal);
  void MarkLeftToRightGlyphs(UINT words);

  // text_layout.cpp
  struct Layout;
  HRESULT BreakLines(DWORD format, const RECT* rect, Layout& layout);
  HRESULT ExpandTab(UINT word, bool wrap, Layout& layout);
  bool BlankWord(INT firstGlyph, INT endGlyph) const;
  HRESULT PlaceWord(UINT word, bool wrap, Layout& layout);
  void MoveRightEndToFront(INT first, INT end, INT k);
  HRESULT CloseLine(UINT first, UINT end, UINT firstWord, UINT endWord, Layout& layout);
  void VisualOrder(UINT first, UINT end, UINT firstWord, UINT endWord, bool rtlReading);
  void DropEndBlanks(UINT first, UINT end, UINT firstWord, UINT endWord, bool rtlReading);
  HRESULT DrawLines(ID3DXSprite* target, const RECT* clip, DWORD format, const Layout& layout,
                    D3DCOLOR colour);

  UINT wordCount = 0;
  UINT glyphCount = 0;
};

// One use of a font's cache, for the length of a scope.
class CacheUse {
 public:
  CacheUse(CachedFont& user, bool pinning, ID3DXSprite* callerSprite) : cacheOwner(user) {
    cacheOwner.BeginCacheUse(pinning, callerSprite);
  }
  ~CacheUse() { cacheOwner.EndCacheUse(); }
  CacheUse(const CacheUse&) = delete;
  CacheUse& operator=(const CacheUse&) = delete;

 private:
  CachedFont& cacheOwner;
};
