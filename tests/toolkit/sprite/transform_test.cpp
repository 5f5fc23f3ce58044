// The sprite transform, world x view and billboards.
#include "tests/toolkit/sprite/sprite_fixture.h"

namespace sprite_test {
namespace {

using SpriteTransforms = SpriteTest;

TEST_F(SpriteTransforms, TransformIsKeptAndReturned) {
  D3DXMATRIX out = Translation(9, 9, 9);
  EXPECT_EQ(D3DERR_INVALIDCALL, sprite->GetTransform(nullptr));
  EXPECT_EQ(D3DERR_INVALIDCALL, sprite->SetTransform(nullptr));
  ASSERT_EQ(S_OK, sprite->GetTransform(&out));
  EXPECT_EQ(Scaling(1, 1, 1), out);
  const D3DXMATRIX m(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
  ASSERT_EQ(S_OK, sprite->SetTransform(&m));
  ASSERT_EQ(S_OK, sprite->Begin(0));
  ASSERT_EQ(S_OK, sprite->GetTransform(&out));
  EXPECT_EQ(m, out);
  ASSERT_EQ(S_OK, sprite->End());
}

class SpriteBillboards : public SpriteTest {
 protected:
  // Draws one 4 x 2 sprite at `position` with `center` as a billboard, and returns its corners.
  std::vector<SpriteVertex> Billboard(const D3DXVECTOR3& position, const D3DXVECTOR3* center) {
    EXPECT_EQ(S_OK, sprite->Begin(D3DXSPRITE_BILLBOARD));
    EXPECT_EQ(S_OK, sprite->Draw(texture, nullptr, center, &position, 0xFFFFFFFF));
    EXPECT_EQ(S_OK, sprite->End());
    const std::vector<SpriteVertex> v = DrawnVertices();
    setup->ClearLog();
    return v;
  }

  void ExpectCorners(const std::vector<SpriteVertex>& v, float x, float y, float z, float w,
                     float h) {
    ASSERT_EQ(4u, v.size());
    const float xs[4] = {x, x, x + w, x + w};
    const float ys[4] = {y, y + h, y, y + h};
    for (int i = 0; i < 4; ++i) {
      EXPECT_FLOAT_EQ(xs[i], v[i].x) << i;
      EXPECT_FLOAT_EQ(ys[i], v[i].y) << i;
      EXPECT_FLOAT_EQ(z, v[i].z) << i;
    }
  }

  void SetUp() override {
    SpriteTest::SetUp();
    texture = Texture(4, 2);
  }

  IDirect3DTexture9* texture = nullptr;
};

// The position goes into view space through transform x world x view; the quad is scaled by
// the matrix's row lengths but stays parallel to the view plane.
TEST_F(SpriteBillboards, PositionIsCarriedIntoViewSpaceAndTheQuadScaled) {
  const D3DXMATRIX world(2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 10, 20, 30, 1);
  const D3DXMATRIX view = Translation(1, 1, 1);
  ASSERT_EQ(S_OK, sprite->SetWorldViewLH(&world, &view));
  const D3DXVECTOR3 center(1, 1, 0.5f);
  ExpectCorners(Billboard({1, 1, 1}, &center), 13 - 2, 24 - 3, 35 - 2, 8, 6);
  ExpectCorners(Billboard({0, 0, 0}, nullptr), 11, 21, 31, 8, 6);
  // A rotation changes where the position lands, not the quad's orientation.
  const D3DXMATRIX turn(0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
  ASSERT_EQ(S_OK, sprite->SetWorldViewRH(&turn, nullptr));
  ExpectCorners(Billboard({5, 0, 0}, nullptr), 0, 5, 0, 4, 2);
}

// A mirroring transform keeps its sign in the scale, so the quad is mirrored too; the
// transform is not applied a second time at Flush.
TEST_F(SpriteBillboards, MirroringTransformMirrorsTheQuad) {
  const D3DXMATRIX mirror = Scaling(-1, 2, 1);
  ASSERT_EQ(S_OK, sprite->SetTransform(&mirror));
  ExpectCorners(Billboard({3, 1, 0}, nullptr), -3, 2, 0, -4, 4);
  // Changing the transform inside a batch changes the billboards that follow.
  ASSERT_EQ(S_OK, sprite->Begin(D3DXSPRITE_BILLBOARD));
  const D3DXVECTOR3 at(1, 1, 0);
  ASSERT_EQ(S_OK, sprite->Draw(texture, nullptr, nullptr, &at, 0xFFFFFFFF));
  const D3DXMATRIX identity = Scaling(1, 1, 1);
  ASSERT_EQ(S_OK, sprite->SetTransform(&identity));
  ASSERT_EQ(S_OK, sprite->Draw(texture, nullptr, nullptr, &at, 0xFFFFFFFF));
  ASSERT_EQ(S_OK, sprite->End());
  const std::vector<SpriteVertex> v = DrawnVertices();
  ASSERT_EQ(8u, v.size());
  EXPECT_EQ(-1.0f, v[0].x);
  EXPECT_EQ(-5.0f, v[2].x);
  EXPECT_EQ(1.0f, v[4].x);
  EXPECT_EQ(5.0f, v[6].x);
}

TEST_F(SpriteBillboards, DepthKeyIsTheNegatedViewSpaceZ) {
  IDirect3DTexture9* nearer = Texture(2, 2);
  IDirect3DTexture9* farther = Texture(2, 2);
  // The view pushes everything by +z and flips it, so larger world z is smaller view z.
  const D3DXMATRIX view(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 10, 1);
  ASSERT_EQ(S_OK, sprite->SetWorldViewLH(nullptr, &view));
  ASSERT_EQ(S_OK, sprite->Begin(D3DXSPRITE_BILLBOARD | D3DXSPRITE_SORT_DEPTH_BACKTOFRONT));
  const D3DXVECTOR3 a(0, 0, 1);
  const D3DXVECTOR3 b(0, 0, 3);
  ASSERT_EQ(S_OK, sprite->Draw(nearer, nullptr, nullptr, &a, 0xFFFFFFFF));
  ASSERT_EQ(S_OK, sprite->Draw(farther, nullptr, nullptr, &b, 0xFFFFFFFF));
  ASSERT_EQ(S_OK, sprite->End());
  // View z: 9 for a, 7 for b. The larger z counts as nearer, so back to front draws b first.
  EXPECT_EQ((std::vector<std::int64_t>{Address(farther), Address(nearer)}), BoundTextures());
}

}  // namespace
}  // namespace sprite_test
