// The glyph cache: cells in Z order, new textures when a pool is full, glyphs without ink,
// placement in the cell with margins, clipping of over-wide ink, mip levels, and the interface
// operations that read or fill the cache.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>

#include "tests/toolkit/font/font_fixture.h"
#include "toolkit/common/allocation.h"

namespace {

using font_test::FontTest;

std::uint32_t AlphaAt(const std::vector<std::uint32_t>& texels, UINT size, UINT x, UINT y) {
  return texels[std::size_t(y) * size + x] >> 24;
}

// Lights the surface's pixels of [left, right) x [top, bottom) at `green`, the rest black.
void PaintSurface(CachedFont* font, int left, int top, int right, int bottom, BYTE green) {
  std::memset(font->surfaceBits, 0, std::size_t(font->surfaceWidth) * font->surfaceHeight * 4);
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      font->surfaceBits[y * font->surfaceWidth + x] = 0x010101u * green;
    }
  }
}

TEST_F(FontTest, CellsAreHandedOutInZOrder) {
  CachedFont* font = MakeFont("Arial", 18);  // 32-texel cells, 128-texel textures
  ASSERT_EQ(32u, font->smallPool.cellSize);
  const POINT expected[] = {{0, 0},   {32, 0},  {0, 32},  {32, 32}, {64, 0},
                            {96, 0},  {64, 32}, {96, 32}, {0, 64}};
  const char16_t letters[] = u"abcdefghi";
  for (int i = 0; i < 9; ++i) {
    const GlyphRecord& record = RecordOf(font, letters[i]);
    ASSERT_TRUE(HasImage(record)) << i;
    EXPECT_EQ(expected[i].x, record.left / 32 * 32) << i;
    EXPECT_EQ(expected[i].y, record.top / 32 * 32) << i;
  }
}

TEST_F(FontTest, TheSeventeenthGlyphOpensASecondTexture) {
  CachedFont* font = MakeFont("Arial", 18);
  std::vector<const GlyphRecord*> records;
  for (char16_t c = u'a'; c < u'a' + 17; ++c) records.push_back(&RecordOf(font, c));
  EXPECT_EQ(2u, font->textureCount);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(font->textures[0], records[i]->texture) << i;
  EXPECT_EQ(font->textures[1], records[16]->texture);
  EXPECT_EQ(font->textures[1], font->smallPool.texture);
  // New textures are white and fully transparent, every level.
  const auto top = ReadLevel(font->textures[1], 0);
  EXPECT_EQ(0x00FFFFFFu, top[127 * 128 + 127]);
  const auto smallest = ReadLevel(font->textures[1], font->smallPool.levels - 1);
  EXPECT_EQ(0x00FFFFFFu, smallest.back());
}

TEST_F(FontTest, ASpaceTakesNoCellButMayOpenATexture) {
  CachedFont* font = MakeFont("Arial", 18);
  const GlyphRecord& space = RecordOf(font, u' ');
  EXPECT_EQ(noGlyphImage, space.texture);
  EXPECT_EQ(1u, font->textureCount);  // the empty pool made its texture all the same
  EXPECT_EQ(0u, font->smallPool.nextCell);
  const GlyphRecord& a = RecordOf(font, u'a');
  EXPECT_LT(a.left, 32);
  EXPECT_LT(a.top, 32);
}

TEST_F(FontTest, AGlyphIsCentredInItsCellWithAMarginOfOneTexel) {
  CachedFont* font = MakeFont("Arial", 18, 1);
  CellPool& pool = font->smallPool;
  GlyphRecord record{};
  PaintSurface(font, 0, 3, 10, 12, 255);  // 10 pixels wide, rows 3 to 11 lit
  ASSERT_EQ(S_OK, font->RenderIntoCell(0, 10, 18, pool, record));  // opens the texture
  pool.nextCell = 4 * pool.cellArea;  // the cell at (64, 0)
  ASSERT_EQ(S_OK, font->RenderIntoCell(0, 10, 18, pool, record));
  // dx = 64 + (32 - 10) / 2 = 75, dy = (32 - 18) / 2 = 7.
  EXPECT_EQ(74, record.left);
  EXPECT_EQ(86, record.right);
  EXPECT_EQ(7 + 3 - 1, record.top);
  EXPECT_EQ(7 + 12 + 1, record.bottom);
  EXPECT_EQ(-1, record.originX);
  EXPECT_EQ(2, record.originY);
  EXPECT_EQ(5 * pool.cellArea, pool.nextCell);
  const auto texels = ReadLevel(pool.texture, 0);
  EXPECT_EQ(0u, AlphaAt(texels, 128, 74, 12));
  EXPECT_EQ(0xFFFFFFFFu, texels[12 * 128 + 75]);
  EXPECT_EQ(255u, AlphaAt(texels, 128, 84, 12));
  EXPECT_EQ(0u, AlphaAt(texels, 128, 85, 12));
}

TEST_F(FontTest, InkBeyondTheSurfaceOrTheCellIsCutOff) {
  CachedFont* font = MakeFont("Arial", 18, 1);
  ASSERT_EQ(22, font->surfaceWidth);
  CellPool& pool = font->smallPool;
  GlyphRecord record{};
  PaintSurface(font, 0, 0, 22, 18, 200);
  // Asked for 32 x 40: the copy is cut to the surface's 22 x 18 and centred as such.
  ASSERT_EQ(S_OK, font->RenderIntoCell(0, 32, 40, pool, record));
  EXPECT_EQ(4, record.left);  // (32 - 22) / 2, less the margin texel
  EXPECT_EQ(28, record.right);
  EXPECT_EQ(6, record.top);
  EXPECT_EQ(26, record.bottom);
  // A run piece starting at the surface's last column reads that column only.
  GlyphRecord edge{};
  ASSERT_EQ(S_OK, font->RenderIntoCell(21, 1000, 1000, pool, edge));
  ASSERT_TRUE(HasImage(edge));
  EXPECT_EQ(1 + 2, edge.right - edge.left);
}

TEST_F(FontTest, InkAtTheCellsEdgeGetsNoMargin) {
  CachedFont* font = MakeFont("Arial", 16, 1);  // 16-texel small cells, a 19-pixel surface
  CellPool& pool = font->smallPool;
  ASSERT_EQ(16u, pool.cellSize);
  PaintSurface(font, 0, 0, 1, 1, 255);
  GlyphRecord record{};
  ASSERT_EQ(S_OK, font->RenderIntoCell(0, 16, 16, pool, record));
  EXPECT_EQ(0, record.left);
  EXPECT_EQ(0, record.top);
  EXPECT_EQ(0, record.originX);
  EXPECT_EQ(0, record.originY);
  EXPECT_EQ(2, record.right);
  EXPECT_EQ(2, record.bottom);
}

TEST_F(FontTest, NoLitPixelMeansNoImageAndNoCell) {
  CachedFont* font = MakeFont("Arial", 18);
  PaintSurface(font, 0, 0, 0, 0, 0);
  GlyphRecord record{};
  ASSERT_EQ(S_OK, font->RenderIntoCell(0, 10, 18, font->smallPool, record));
  EXPECT_EQ(noGlyphImage, record.texture);
  EXPECT_EQ(0u, font->smallPool.nextCell);
}

TEST_F(FontTest, MipLevelsAreGammaCorrectMeansInsideTheInkBox) {
  CachedFont* font = MakeFont("Arial", 18);
  CellPool& pool = font->smallPool;
  ASSERT_GT(pool.levels, 2u);
  // Two lit pixels over a 2 x 2 block with one full and one dark pixel: the box is the
  // block's top row and its left column, 2 x 2.
  PaintSurface(font, 0, 0, 0, 0, 0);
  const int w = font->surfaceWidth;
  font->surfaceBits[0] = 0xFF00;      // (0, 0) full
  font->surfaceBits[w + 1] = 0x4000;  // (1, 1) dark grey
  GlyphRecord record{};
  // Width 2 and height 2 sit at (15, 15) in the cell: the block spans two level-1 texels.
  ASSERT_EQ(S_OK, font->RenderIntoCell(0, 2, 2, pool, record));
  const auto level1 = ReadLevel(pool.texture, 1);
  // Level-1 texel (7, 7) covers cell texels 14..15: only (15, 15) is lit and in the box.
  const float expected = std::pow((std::pow(1.0f, 2.2f)) / 4.0f / 0.25f, 1 / 2.2f);
  EXPECT_NEAR(expected * 255.0f, AlphaAt(level1, 64, 7, 7), 1.0);
  // Texel (8, 8) covers (16..17, 16..17): (16, 16) holds 0x40 and weight 1 of 4 inside.
  const double dark = std::pow(std::pow(64 / 255.0, 2.2), 1 / 2.2) * 255.0;
  EXPECT_NEAR(dark, AlphaAt(level1, 64, 8, 8), 1.5);
  // (7, 8) covers (14..15, 16..17): (15, 16) is in the box but dark: weight without value.
  EXPECT_EQ(0u, AlphaAt(level1, 64, 7, 8));
  EXPECT_EQ(0x00FFFFFFu, level1[6 * 64 + 6]);  // outside the box: untouched
  const auto level2 = ReadLevel(pool.texture, 2);
  // Level 2 (3, 3) and (4, 4): one lit texel among four in each, weight 1 of 4.
  EXPECT_NEAR(255.0f, AlphaAt(level2, 32, 3, 3), 1.0);
  EXPECT_EQ(0x00FFFFFFu, level2[2 * 32 + 2]);
}

TEST_F(FontTest, GlyphDataOfCharactersAndOfValuesOutsideTheFont) {
  CachedFont* font = MakeFont("Arial", 18);
  const WORD a = GlyphOf(font, u'A');
  IDirect3DTexture9* texture = nullptr;
  RECT box{};
  POINT inc{};
  ASSERT_EQ(S_OK, font->GetGlyphData(a, &texture, &box, &inc));
  ASSERT_NE(nullptr, texture);
  const GlyphRecord& record = RecordOf(font, u'A');
  EXPECT_EQ(record.texture, texture);
  EXPECT_EQ(1u, texture->Release());  // the caller's reference came on top of the font's
  EXPECT_EQ(record.right, box.right);
  EXPECT_EQ(record.originY, inc.y);
  ASSERT_EQ(S_OK, font->GetGlyphData(a, nullptr, nullptr, nullptr));

  // U+E000 lies in no range of the font: the default glyph's data.
  RECT outside{}, fallback{};
  ASSERT_EQ(S_OK, font->GetGlyphData(0xE000, nullptr, &outside, nullptr));
  ASSERT_EQ(S_OK, font->GetGlyphData(font->defaultGlyph, nullptr, &fallback, nullptr));
  EXPECT_EQ(fallback.left, outside.left);
  EXPECT_EQ(fallback.bottom, outside.bottom);
  EXPECT_EQ(font->defaultGlyph, font->MapToFontRange(0xE000));
  EXPECT_EQ(u'A', font->MapToFontRange(0x10000 + u'A'));  // only the low 16 bits count
}

TEST_F(FontTest, PreloadingFillsTheCacheAhead) {
  CachedFont* font = MakeFont("Arial", 18);
  EXPECT_EQ(S_OK, font->PreloadCharacters(u'Z', u'A'));  // first above last
  EXPECT_EQ(S_OK, font->PreloadCharacters(0, 31));       // below the font's characters
  EXPECT_EQ(0u, font->blockCount);
  ASSERT_EQ(S_OK, font->PreloadCharacters(u'A', u'Z'));
  for (char16_t c = u'A'; c <= u'Z'; ++c) {
    const WORD glyph = GlyphOf(font, c);
    ASSERT_NE(nullptr, font->blocks[glyph >> 8]);
    EXPECT_NE(nullptr, font->blocks[glyph >> 8][glyph & 255].texture) << char(c);
  }
  EXPECT_EQ(S_OK, font->PreloadGlyphs(10, 5));
  ASSERT_EQ(S_OK, font->PreloadGlyphs(0xFFF0, 0x12345));  // last cut to 0xFFFF
  const WORD fallback = font->defaultGlyph;
  EXPECT_NE(nullptr, font->blocks[fallback >> 8][fallback & 255].texture);
}

TEST_F(FontTest, CacheFailuresLeaveRecordsToTryAgain) {
  CachedFont* font = MakeFont("Arial", 18);
  const WORD a = GlyphOf(font, u'A');
  testing_hooks::FailAllocationAfter(0);
  EXPECT_EQ(E_OUTOFMEMORY, font->CacheGlyphs(&a, 1, nullptr));  // its block
  testing_hooks::FailAllocationAfter(-1);
  setup->FailCall("CreateTexture", setup->CallCount("CreateTexture") + 1, E_OUTOFMEMORY);
  GlyphRecord* record = nullptr;
  EXPECT_EQ(E_OUTOFMEMORY, font->CacheGlyphs(&a, 1, &record));
  ASSERT_NE(nullptr, record);
  EXPECT_EQ(nullptr, record->texture);
  EXPECT_EQ(S_OK, font->CacheGlyphs(&a, 1, &record));
  EXPECT_TRUE(HasImage(*record));
  EXPECT_EQ(1u, font->textureCount);
}

}  // namespace
