// Draw as the render target shows it, and the quad it queues: placement, source rectangle,
// texture coordinates, center and position.
#include "tests/toolkit/sprite/sprite_fixture.h"

namespace sprite_test {
namespace {

constexpr std::uint32_t background = 0x123456;

// The colour of texel (x, y): unlike its neighbours in every channel, so that any sampling
// between texels shows.
std::uint32_t TexelColour(int x, int y) {
  std::uint32_t h = std::uint32_t(x) * 0x9E3779B1u ^ std::uint32_t(y) * 0x85EBCA77u;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  return h & 0xFFFFFF;
}

std::vector<std::uint32_t> NumberedTexels(UINT w, UINT h) {
  std::vector<std::uint32_t> texels;
  for (UINT y = 0; y < h; ++y) {
    for (UINT x = 0; x < w; ++x) texels.push_back(0xFF000000u | TexelColour(int(x), int(y)));
  }
  return texels;
}

class SpriteDrawing : public SpriteTest {
 protected:
  // Clears the target, then draws `source` of a texW x texH texture of distinct texels in one
  // batch.
  void DrawDistinct(UINT texW, UINT texH, const RECT* source, const D3DXVECTOR3* center,
                    const D3DXVECTOR3* position, DWORD flags = D3DXSPRITE_ALPHABLEND) {
    ClearTo(background);
    IDirect3DTexture9* texture = Texture(texW, texH, NumberedTexels(texW, texH));
    ASSERT_EQ(S_OK, sprite->Begin(flags));
    ASSERT_EQ(S_OK, sprite->Draw(texture, source, center, position, 0xFFFFFFFF));
    ASSERT_EQ(S_OK, sprite->End());
  }

  // Checks that exactly the w x h pixels from (left, top) changed, each showing texel
  // (sourceX + i, sourceY + j).
  void ExpectPlaced(int left, int top, int w, int h, int sourceX, int sourceY) {
    const std::vector<std::uint32_t> pixels = ReadBack();
    for (int y = 0; y < int(height); ++y) {
      for (int x = 0; x < int(width); ++x) {
        const bool inside = x >= left && x < left + w && y >= top && y < top + h;
        const std::uint32_t expected =
            inside ? TexelColour(sourceX + x - left, sourceY + y - top) : background;
        ASSERT_EQ(expected, pixels[std::size_t(y) * width + x]) << "at " << x << ", " << y;
      }
    }
  }
};

TEST_F(SpriteDrawing, SourceRectangleCoversExactlyItsPixels) {
  const RECT source = {0, 0, 32, 32};
  const D3DXVECTOR3 position(10, 20, 0);
  DrawDistinct(64, 64, &source, nullptr, &position);
  ExpectPlaced(10, 20, 32, 32, 0, 0);
}

TEST_F(SpriteDrawing, PositionsAreRenderTargetPixelsWhateverTheViewport) {
  ClearTo(background);
  const D3DVIEWPORT9 viewport = {5, 3, 50, 55, 0.0f, 1.0f};
  ASSERT_EQ(S_OK, device->SetViewport(&viewport));
  const RECT source = {7, 9, 39, 41};
  const D3DXVECTOR3 position(10, 20, 0);
  DrawDistinct(64, 64, &source, nullptr, &position, 0);
  ExpectPlaced(10, 20, 32, 32, 7, 9);
}

TEST_F(SpriteDrawing, NullSourceTakesTheWholeLevelAndNullPositionTheOrigin) {
  DrawDistinct(8, 4, nullptr, nullptr, nullptr);
  ExpectPlaced(0, 0, 8, 4, 0, 0);
  const std::vector<SpriteVertex> v = DrawnVertices();
  ASSERT_EQ(4u, v.size());
  EXPECT_EQ(0.0f, v[0].u);
  EXPECT_EQ(0.0f, v[0].v);
  EXPECT_EQ(1.0f, v[3].u);
  EXPECT_EQ(1.0f, v[3].v);
  EXPECT_EQ(8.0f, v[3].x);
  EXPECT_EQ(4.0f, v[3].y);
}

TEST_F(SpriteDrawing, CenterLandsOnThePosition) {
  const RECT source = {2, 3, 10, 9};
  const D3DXVECTOR3 center(4, 2, 0);
  const D3DXVECTOR3 position(20, 20, 0);
  DrawDistinct(16, 16, &source, &center, &position);
  ExpectPlaced(16, 18, 8, 6, 2, 3);
}

TEST_F(SpriteDrawing, ImageInALargerTextureGetsFractionalCoordinates) {
  const RECT source = {0, 0, 20, 10};
  const D3DXVECTOR3 position(30, 40, 0);
  DrawDistinct(32, 16, &source, nullptr, &position);
  ExpectPlaced(30, 40, 20, 10, 0, 0);
  const std::vector<SpriteVertex> v = DrawnVertices();
  ASSERT_EQ(4u, v.size());
  EXPECT_EQ(0.625f, v[3].u);
  EXPECT_EQ(0.625f, v[3].v);
}

// right < left: the quad extends to the left of the position and is still drawn (no culling).
TEST_F(SpriteDrawing, NegativeWidthExtendsLeftOfThePosition) {
  const RECT reversed = {8, 0, 0, 4};
  const D3DXVECTOR3 position(20, 10, 0);
  DrawDistinct(8, 4, &reversed, nullptr, &position);
  ExpectPlaced(12, 10, 8, 4, 0, 0);
  const std::vector<SpriteVertex> v = DrawnVertices();
  ASSERT_EQ(4u, v.size());
  EXPECT_EQ(20.0f, v[0].x);
  EXPECT_EQ(1.0f, v[0].u);
  EXPECT_EQ(12.0f, v[2].x);
  EXPECT_EQ(0.0f, v[2].u);
}

TEST_F(SpriteDrawing, QuadCarriesPositionDepthAndColourOnEveryCorner) {
  IDirect3DTexture9* texture = Texture(4, 2);
  const D3DXVECTOR3 position(1.5f, 2.5f, 0.75f);
  ASSERT_EQ(S_OK, sprite->Begin(0));
  ASSERT_EQ(S_OK, sprite->Draw(texture, nullptr, nullptr, &position, 0x80402010));
  ASSERT_EQ(S_OK, sprite->End());
  const std::vector<SpriteVertex> v = DrawnVertices();
  ASSERT_EQ(4u, v.size());
  const float xs[4] = {1.5f, 1.5f, 5.5f, 5.5f};
  const float ys[4] = {2.5f, 4.5f, 2.5f, 4.5f};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(xs[i], v[i].x) << i;
    EXPECT_EQ(ys[i], v[i].y) << i;
    EXPECT_EQ(0.75f, v[i].z) << i;
    EXPECT_EQ(0x80402010u, v[i].colour) << i;
  }
}

}  // namespace
}  // namespace sprite_test
