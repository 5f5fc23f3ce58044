#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "toolkit/common/d3dx_math.h"

namespace {

void ExpectVectorNear(const D3DXVECTOR3& expected, const D3DXVECTOR3& actual) {
  EXPECT_NEAR(expected.x, actual.x, 1e-6f);
  EXPECT_NEAR(expected.y, actual.y, 1e-6f);
  EXPECT_NEAR(expected.z, actual.z, 1e-6f);
}

D3DXMATRIX Translation(float x, float y, float z) {
  return D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1);
}

// Maps (x, y, z) to (x + 1, 2y, z) with w = z + 1.
const D3DXMATRIX projective(1, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1, 1, 1, 0, 0, 1);

TEST(Vec3NormalizeTest, ScalesToUnitLength) {
  D3DXVECTOR3 v(3, 4, 0);
  D3DXVECTOR3 unit;
  EXPECT_EQ(&unit, D3DXVec3Normalize(&unit, &v));
  ExpectVectorNear({0.6f, 0.8f, 0}, unit);
  D3DXVec3Normalize(&v, &v);
  ExpectVectorNear({0.6f, 0.8f, 0}, v);
}

TEST(Vec3NormalizeTest, ZeroVectorStaysZero) {
  const D3DXVECTOR3 zero(0, 0, 0);
  D3DXVECTOR3 out(9, 9, 9);
  D3DXVec3Normalize(&out, &zero);
  EXPECT_EQ(0.0f, out.x);
  EXPECT_EQ(0.0f, out.y);
  EXPECT_EQ(0.0f, out.z);
}

// Squaring the components in float would underflow to 0 or overflow to infinity.
TEST(Vec3NormalizeTest, HandlesVeryShortAndVeryLongVectors) {
  const D3DXVECTOR3 tiny(3e-30f, 0, -4e-30f);
  const D3DXVECTOR3 huge(3e30f, 4e30f, 0);
  D3DXVECTOR3 out;
  ExpectVectorNear({0.6f, 0, -0.8f}, *D3DXVec3Normalize(&out, &tiny));
  ExpectVectorNear({0.6f, 0.8f, 0}, *D3DXVec3Normalize(&out, &huge));
}

TEST(Vec3TransformCoordTest, AppliesRowVectorTransformsInOrder) {
  // Translate then scale: (1, 0, 0) moves to (2, 0, 0), then doubles to (4, 0, 0).
  const D3DXMATRIX scale(2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1);
  const D3DXMATRIX translateThenScale = Translation(1, 0, 0) * scale;
  const D3DXVECTOR3 point(1, 0, 0);
  D3DXVECTOR3 out;
  EXPECT_EQ(&out, D3DXVec3TransformCoord(&out, &point, &translateThenScale));
  ExpectVectorNear({4, 0, 0}, out);
}

TEST(Vec3TransformCoordTest, DividesByTheResultingW) {
  D3DXVECTOR3 point(1, 3, 2);  // (2, 6, 2) with w 3
  D3DXVECTOR3 out;
  D3DXVec3TransformCoord(&out, &point, &projective);
  ExpectVectorNear({2.0f / 3, 2, 2.0f / 3}, out);
  D3DXVec3TransformCoord(&point, &point, &projective);
  ExpectVectorNear(out, point);
}

// A sprite vertex: position, colour, texture coordinate; 24 bytes.
struct Vertex {
  D3DXVECTOR3 position;
  DWORD colour;
  float u;
  float v;
};
static_assert(sizeof(Vertex) == 24);

TEST(Vec3TransformCoordArrayTest, TransformsInPlaceWithAStrideOfTwentyFourBytes) {
  Vertex vertices[3] = {{{1, 3, 2}, 0xFF00FF00u, 0.25f, 0.5f},
                        {{0, 0, 0}, 0xFF00FF01u, 0.75f, 1.0f},
                        {{-1, 1, 1}, 0xFF00FF02u, 1.0f, 0.0f}};
  D3DXVec3TransformCoordArray(&vertices[0].position, sizeof(Vertex), &vertices[0].position,
                              sizeof(Vertex), &projective, 3);
  ExpectVectorNear({2.0f / 3, 2, 2.0f / 3}, vertices[0].position);
  ExpectVectorNear({1, 0, 0}, vertices[1].position);
  ExpectVectorNear({0, 1, 0.5f}, vertices[2].position);
  EXPECT_EQ(0xFF00FF01u, vertices[1].colour);
  EXPECT_EQ(0.75f, vertices[1].u);
  EXPECT_EQ(0.0f, vertices[2].v);
}

TEST(Vec3TransformCoordArrayTest, GathersIntoADifferentStrideAndStopsAtN) {
  const Vertex vertices[2] = {{{1, 2, 3}, 0, 0, 0}, {{4, 5, 6}, 0, 0, 0}};
  D3DXVECTOR3 out[3] = {{0, 0, 0}, {0, 0, 0}, {7, 7, 7}};
  const D3DXMATRIX move = Translation(10, 20, 30);
  EXPECT_EQ(out, D3DXVec3TransformCoordArray(out, sizeof(D3DXVECTOR3), &vertices[0].position,
                                             sizeof(Vertex), &move, 2));
  ExpectVectorNear({11, 22, 33}, out[0]);
  ExpectVectorNear({14, 25, 36}, out[1]);
  ExpectVectorNear({7, 7, 7}, out[2]);
}

// Strides need not keep the floats aligned.
TEST(Vec3TransformCoordArrayTest, AcceptsUnalignedStrides) {
  unsigned char bytes[2 * 13] = {};
  const D3DXVECTOR3 points[2] = {{1, 2, 3}, {4, 5, 6}};
  std::memcpy(bytes + 1, &points[0], sizeof(D3DXVECTOR3));
  std::memcpy(bytes + 14, &points[1], sizeof(D3DXVECTOR3));
  const D3DXMATRIX move = Translation(1, 1, 1);
  auto* unaligned = reinterpret_cast<D3DXVECTOR3*>(bytes + 1);
  D3DXVec3TransformCoordArray(unaligned, 13, unaligned, 13, &move, 2);
  D3DXVECTOR3 second;
  std::memcpy(&second, bytes + 14, sizeof(second));
  ExpectVectorNear({5, 6, 7}, second);
}

}  // namespace
