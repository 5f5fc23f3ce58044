// Flush: runs of one texture through the vertex ring, the sorts, the deferred transform, and
// the queue's growth and failures.
#include "tests/toolkit/sprite/sprite_fixture.h"
#include "toolkit/common/allocation.h"

namespace sprite_test {
namespace {

class SpriteBatching : public SpriteTest {
 protected:
  // The state blocks are recorded and the log is empty, so only batch calls are seen.
  void SetUp() override {
    SpriteTest::SetUp();
    DrawBatch(0, Texture(1, 1), 0);
    setup->ClearLog();
  }

  std::vector<IDirect3DTexture9*> ThreeTextures() {
    return {Texture(2, 2), Texture(2, 2), Texture(2, 2)};
  }

  std::vector<std::int64_t> AddressesOf(const std::vector<IDirect3DTexture9*>& list) {
    std::vector<std::int64_t> addresses;
    for (IDirect3DTexture9* texture : list) addresses.push_back(Address(texture));
    return addresses;
  }
};

TEST_F(SpriteBatching, OneDrawCallHoldsAtMost4096Sprites) {
  DrawBatch(0, Texture(1, 1), 4097);
  const std::vector<DrawCall> runs = Runs();
  ASSERT_EQ(2u, runs.size());
  EXPECT_EQ(0u, runs[0].startVertex);
  EXPECT_EQ(16384u, runs[0].vertexCount);
  EXPECT_EQ(0u, runs[0].startIndex);
  EXPECT_EQ(8192u, runs[0].primitiveCount);
  EXPECT_EQ(D3DLOCK_DISCARD, runs[0].lockFlags);
  EXPECT_EQ(0u, runs[1].startVertex);
  EXPECT_EQ(4u, runs[1].vertexCount);
  EXPECT_EQ(2u, runs[1].primitiveCount);
  EXPECT_EQ(D3DLOCK_DISCARD, runs[1].lockFlags);
  // The run cut by the ring goes on with the same texture.
  EXPECT_EQ(1u, setup->CallsNamed("SetTexture").size());
}

TEST_F(SpriteBatching, RingRunsOnAcrossBatchesAndWrapsAtItsEnd) {
  IDirect3DTexture9* texture = Texture(1, 1);
  DrawBatch(0, texture, 4000);
  setup->ClearLog();
  DrawBatch(0, texture, 200);
  const std::vector<DrawCall> runs = Runs();
  ASSERT_EQ(2u, runs.size());
  EXPECT_EQ(16000u, runs[0].startVertex);
  EXPECT_EQ(4u * 96, runs[0].vertexCount);
  EXPECT_EQ(24000u, runs[0].startIndex);
  EXPECT_EQ(2u * 96, runs[0].primitiveCount);
  EXPECT_EQ(D3DLOCK_NOOVERWRITE, runs[0].lockFlags);
  EXPECT_EQ(0u, runs[1].startVertex);
  EXPECT_EQ(4u * 104, runs[1].vertexCount);
  EXPECT_EQ(0u, runs[1].startIndex);
  EXPECT_EQ(2u * 104, runs[1].primitiveCount);
  EXPECT_EQ(D3DLOCK_DISCARD, runs[1].lockFlags);
  // The next batch appends after them.
  setup->ClearLog();
  DrawBatch(0, texture, 1);
  ASSERT_EQ(1u, Runs().size());
  EXPECT_EQ(416u, Runs()[0].startVertex);
  EXPECT_EQ(D3DLOCK_NOOVERWRITE, Runs()[0].lockFlags);
}

TEST_F(SpriteBatching, TexturesAlternatingGiveOneRunEachUnlessSorted) {
  IDirect3DTexture9* a = Texture(2, 2);
  IDirect3DTexture9* b = Texture(2, 2);
  const auto drawABAB = [&](DWORD flags) {
    setup->ClearLog();
    ASSERT_EQ(S_OK, sprite->Begin(flags));
    ASSERT_EQ(S_OK, DrawAt(a, 0, 0));
    ASSERT_EQ(S_OK, DrawAt(b, 10, 0));
    ASSERT_EQ(S_OK, DrawAt(a, 20, 0));
    ASSERT_EQ(S_OK, DrawAt(b, 30, 0));
    ASSERT_EQ(S_OK, sprite->End());
  };
  drawABAB(0);
  EXPECT_EQ((std::vector<std::int64_t>{Address(a), Address(b), Address(a), Address(b)}),
            BoundTextures());
  EXPECT_EQ(4u, setup->CallsNamed("SetTexture").size());

  drawABAB(D3DXSPRITE_SORT_TEXTURE | D3DXSPRITE_SORT_DEPTH_FRONTTOBACK);
  const bool aFirst = Address(a) > Address(b);
  const std::vector<DrawCall> runs = Runs();
  ASSERT_EQ(2u, runs.size());
  EXPECT_EQ(aFirst ? Address(a) : Address(b), runs[0].texture);
  EXPECT_EQ(aFirst ? Address(b) : Address(a), runs[1].texture);
  EXPECT_EQ(2u, setup->CallsNamed("SetTexture").size());
  // Each texture's sprites keep their submission order.
  const std::vector<SpriteVertex> v = DrawnVertices();
  ASSERT_EQ(16u, v.size());
  const float firstX = aFirst ? 0.0f : 10.0f;
  EXPECT_EQ((std::vector<float>{firstX, firstX + 20, 10 - firstX, 30 - firstX}),
            (std::vector<float>{v[0].x, v[4].x, v[8].x, v[12].x}));
}

TEST_F(SpriteBatching, ScreenSpaceDepthSortsByNegatedZ) {
  const std::vector<IDirect3DTexture9*> t = ThreeTextures();
  const auto drawn = [&](DWORD flags, float z0, float z1, float z2) {
    setup->ClearLog();
    EXPECT_EQ(S_OK, sprite->Begin(flags));
    EXPECT_EQ(S_OK, DrawAt(t[0], 0, 0, z0));
    EXPECT_EQ(S_OK, DrawAt(t[1], 0, 0, z1));
    EXPECT_EQ(S_OK, DrawAt(t[2], 0, 0, z2));
    EXPECT_EQ(S_OK, sprite->End());
    return BoundTextures();
  };
  EXPECT_EQ(AddressesOf({t[1], t[2], t[0]}),
            drawn(D3DXSPRITE_SORT_DEPTH_FRONTTOBACK, 0.2f, 0.8f, 0.5f));
  EXPECT_EQ(AddressesOf({t[0], t[2], t[1]}),
            drawn(D3DXSPRITE_SORT_DEPTH_BACKTOFRONT, 0.2f, 0.8f, 0.5f));
  EXPECT_EQ(AddressesOf({t[1], t[2], t[0]}),
            drawn(D3DXSPRITE_SORT_DEPTH_FRONTTOBACK | D3DXSPRITE_SORT_DEPTH_BACKTOFRONT, 0.2f,
                  0.8f, 0.5f));
  // Equal keys keep the submission order; so do equal depths among others.
  EXPECT_EQ(AddressesOf(t), drawn(D3DXSPRITE_SORT_DEPTH_BACKTOFRONT, 0.5f, 0.5f, 0.5f));
  EXPECT_EQ(AddressesOf({t[1], t[0], t[2]}),
            drawn(D3DXSPRITE_SORT_DEPTH_BACKTOFRONT, 0.5f, 0.25f, 0.5f));
  // Without a depth flag nothing is sorted.
  EXPECT_EQ(AddressesOf(t), drawn(0, 0.2f, 0.8f, 0.5f));
}

TEST_F(SpriteBatching, DepthSortGroupsEqualTexturesThatEndUpTogether) {
  IDirect3DTexture9* a = Texture(2, 2);
  IDirect3DTexture9* b = Texture(2, 2);
  ASSERT_EQ(S_OK, sprite->Begin(D3DXSPRITE_SORT_DEPTH_FRONTTOBACK));
  ASSERT_EQ(S_OK, DrawAt(a, 0, 0, 0.1f));
  ASSERT_EQ(S_OK, DrawAt(b, 0, 0, 0.9f));
  ASSERT_EQ(S_OK, DrawAt(a, 5, 0, 0.5f));
  ASSERT_EQ(S_OK, sprite->End());
  const std::vector<DrawCall> runs = Runs();
  ASSERT_EQ(2u, runs.size());
  EXPECT_EQ(Address(b), runs[0].texture);
  EXPECT_EQ(Address(a), runs[1].texture);
  EXPECT_EQ(8u, runs[1].vertexCount);
  const std::vector<SpriteVertex> v = DrawnVertices();
  EXPECT_EQ(0.5f, v[4].z);
  EXPECT_EQ(0.1f, v[8].z);
}

// In object space depth is measured along the view direction of SetWorldViewRH/LH.
TEST_F(SpriteBatching, ObjectSpaceDepthFollowsTheViewDirection) {
  const std::vector<IDirect3DTexture9*> t = ThreeTextures();
  const auto drawn = [&](const D3DXVECTOR3 (&positions)[3]) {
    setup->ClearLog();
    EXPECT_EQ(S_OK, sprite->Begin(D3DXSPRITE_OBJECTSPACE | D3DXSPRITE_SORT_DEPTH_FRONTTOBACK));
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(S_OK, sprite->Draw(t[i], nullptr, nullptr, &positions[i], 0xFFFFFFFF));
    }
    EXPECT_EQ(S_OK, sprite->End());
    return BoundTextures();
  };
  const D3DXVECTOR3 byDepth[3] = {{0, 0, 0.2f}, {0, 0, 0.8f}, {0, 0, 0.5f}};
  // The default view direction is that of a right-handed identity: toward -z.
  EXPECT_EQ(AddressesOf({t[1], t[2], t[0]}), drawn(byDepth));
  ASSERT_EQ(S_OK, sprite->SetWorldViewLH(nullptr, nullptr));
  EXPECT_EQ(AddressesOf({t[0], t[2], t[1]}), drawn(byDepth));
  ASSERT_EQ(S_OK, sprite->SetWorldViewRH(nullptr, nullptr));
  EXPECT_EQ(AddressesOf({t[1], t[2], t[0]}), drawn(byDepth));
  // A view whose depth axis is world x (scaled, which normalising removes).
  const D3DXMATRIX alongX(0, 0, 3, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1);
  ASSERT_EQ(S_OK, sprite->SetWorldViewLH(&alongX, nullptr));
  const D3DXVECTOR3 byX[3] = {{5, 0, 0.1f}, {-5, 0, 0.9f}, {1, 0, 0.5f}};
  EXPECT_EQ(AddressesOf({t[1], t[2], t[0]}), drawn(byX));
}

TEST_F(SpriteBatching, EachSpriteKeepsTheTransformInForceWhenDrawn) {
  IDirect3DTexture9* texture = Texture(2, 2);
  ASSERT_EQ(S_OK, sprite->Begin(0));
  const D3DXMATRIX first = Translation(5, 0, 0);
  ASSERT_EQ(S_OK, sprite->SetTransform(&first));
  ASSERT_EQ(S_OK, DrawAt(texture, 0, 0));
  const D3DXMATRIX second(2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 1, 0, 0, 10, 0, 1);
  ASSERT_EQ(S_OK, sprite->SetTransform(&second));
  ASSERT_EQ(S_OK, DrawAt(texture, 1, 1));
  // A w of 2 halves the positions.
  const D3DXMATRIX third(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 2);
  ASSERT_EQ(S_OK, sprite->SetTransform(&third));
  ASSERT_EQ(S_OK, DrawAt(texture, 4, 4));
  const D3DXMATRIX identity = Scaling(1, 1, 1);
  ASSERT_EQ(S_OK, sprite->SetTransform(&identity));
  ASSERT_EQ(S_OK, DrawAt(texture, 7, 7));
  ASSERT_EQ(S_OK, sprite->End());
  const std::vector<SpriteVertex> v = DrawnVertices();
  ASSERT_EQ(16u, v.size());
  const float expected[16][2] = {{5, 0},  {5, 2},  {7, 0},  {7, 2},  {2, 13}, {2, 19},
                                 {6, 13}, {6, 19}, {2, 2},  {2, 3},  {3, 2},  {3, 3},
                                 {7, 7},  {7, 9},  {9, 7},  {9, 9}};
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(expected[i][0], v[i].x) << i;
    EXPECT_EQ(expected[i][1], v[i].y) << i;
  }
}

TEST_F(SpriteBatching, TransformSetBeforeBeginAppliesAtFlush) {
  const D3DXMATRIX shift = Translation(3, 4, 0.5f);
  ASSERT_EQ(S_OK, sprite->SetTransform(&shift));
  ASSERT_EQ(S_OK, sprite->Begin(0));
  ASSERT_EQ(S_OK, DrawAt(Texture(2, 2), 1, 1));
  ASSERT_EQ(S_OK, sprite->Flush());
  ASSERT_EQ(S_OK, sprite->End());
  const std::vector<SpriteVertex> v = DrawnVertices();
  ASSERT_EQ(4u, v.size());
  EXPECT_EQ(4.0f, v[0].x);
  EXPECT_EQ(5.0f, v[0].y);
  EXPECT_EQ(0.5f, v[0].z);
  EXPECT_EQ(6.0f, v[3].x);
}

TEST_F(SpriteBatching, FlushOfAnEmptyQueueBindsButDrawsNothing) {
  ASSERT_EQ(S_OK, sprite->Begin(0));
  setup->ClearLog();
  EXPECT_EQ(S_OK, sprite->Flush());
  EXPECT_TRUE(Runs().empty());
  EXPECT_EQ(1u, setup->CallsNamed("SetVertexDeclaration").size());
  EXPECT_EQ(1u, setup->CallsNamed("SetIndices").size());
  EXPECT_EQ(1u, setup->CallsNamed("SetStreamSource").size());
  EXPECT_EQ(0u, setup->CallsNamed("IDirect3DVertexBuffer9::Lock").size());
  ASSERT_EQ(S_OK, sprite->End());
}

TEST_F(SpriteBatching, FlushInsideABatchDrawsAndEmptiesTheQueue) {
  IDirect3DTexture9* texture = Texture(2, 2);
  ASSERT_EQ(S_OK, sprite->Begin(D3DXSPRITE_ALPHABLEND));
  ASSERT_EQ(S_OK, DrawAt(texture, 0, 0));
  ASSERT_EQ(S_OK, sprite->Flush());
  ASSERT_EQ(1u, Runs().size());
  ASSERT_EQ(S_OK, DrawAt(texture, 1, 0));
  ASSERT_EQ(S_OK, sprite->End());
  const std::vector<DrawCall> runs = Runs();
  ASSERT_EQ(2u, runs.size());
  EXPECT_EQ(4u, runs[1].startVertex);
  EXPECT_EQ(D3DLOCK_NOOVERWRITE, runs[1].lockFlags);
  // After a Flush the texture is bound again.
  EXPECT_EQ(2u, setup->CallsNamed("SetTexture").size());
}

TEST_F(SpriteBatching, RefusedGrowthKeepsTheQueue) {
  IDirect3DTexture9* texture = Texture(2, 2);
  ASSERT_EQ(S_OK, sprite->Begin(0));
  for (int i = 0; i < 64; ++i) ASSERT_EQ(S_OK, DrawAt(texture, float(i), 0));
  // Nothing may grow, then only the two scratch arrays.
  for (int allowed : {0, 2}) {
    testing_hooks::FailAllocationAfter(allowed);
    EXPECT_EQ(E_OUTOFMEMORY, DrawAt(texture, 99, 0));
    testing_hooks::FailAllocationAfter(-1);
  }
  ASSERT_EQ(S_OK, DrawAt(texture, 64, 0));
  ASSERT_EQ(S_OK, sprite->End());
  const std::vector<SpriteVertex> v = DrawnVertices();
  ASSERT_EQ(65u * 4, v.size());
  for (int i = 0; i < 65; ++i) ASSERT_EQ(float(i), v[4 * i].x) << i;
}

TEST_F(SpriteBatching, FailedLockDropsTheQueue) {
  IDirect3DTexture9* texture = Texture(2, 2);
  const DeviceStates before = ReadStates();
  ASSERT_EQ(S_OK, sprite->Begin(D3DXSPRITE_ALPHABLEND));
  ASSERT_EQ(S_OK, DrawAt(texture, 0, 0));
  setup->FailCall("IDirect3DVertexBuffer9::Lock", setup->CallCount("IDirect3DVertexBuffer9::Lock") + 1,
                  D3DERR_DEVICELOST);
  EXPECT_EQ(D3DERR_DEVICELOST, sprite->End());
  EXPECT_EQ(before, ReadStates());
  EXPECT_TRUE(Runs().empty());
  // Nothing is left over for the next batch.
  ASSERT_EQ(S_OK, sprite->Begin(0));
  ASSERT_EQ(S_OK, sprite->End());
  EXPECT_TRUE(Runs().empty());
}

}  // namespace
}  // namespace sprite_test
