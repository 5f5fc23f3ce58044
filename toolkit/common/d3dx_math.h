// The D3DX vector, matrix and half-float types and the few operations the sprite and the
// pixel converters use.
//
// Matrices follow the Direct3D convention: points are row vectors (p' = p x M), so A x B
// applies A first, and the translation sits in _41, _42, _43.
// Every operation returns its out-pointer. The matrix and vector operations accept an out that
// aliases an input; the half-float arrays must not overlap.
#pragma once

#include "platform/d3d9/math_types.h"
#include "platform/win32/types.h"

// An IEEE 754 binary16 value, stored as its 16 bits.
struct D3DXFLOAT16 {
  D3DXFLOAT16() = default;
  // Rounds to the nearest half, ties to even.
  explicit D3DXFLOAT16(FLOAT f);
  static constexpr D3DXFLOAT16 FromBits(WORD bits) {
    D3DXFLOAT16 half;
    half.value = bits;
    return half;
  }
  operator FLOAT() const;
  // Bitwise, so +0 and -0 differ and a NaN equals itself.
  bool operator==(const D3DXFLOAT16& other) const { return value == other.value; }

  WORD value;
};

struct D3DXVECTOR3 : D3DVECTOR {
  D3DXVECTOR3() = default;
  constexpr D3DXVECTOR3(FLOAT vx, FLOAT vy, FLOAT vz) : D3DVECTOR{vx, vy, vz} {}
  constexpr D3DXVECTOR3(const D3DVECTOR& v) : D3DVECTOR(v) {}

  constexpr D3DXVECTOR3 operator+(const D3DXVECTOR3& v) const {
    return {x + v.x, y + v.y, z + v.z};
  }
  constexpr D3DXVECTOR3 operator-(const D3DXVECTOR3& v) const {
    return {x - v.x, y - v.y, z - v.z};
  }
  constexpr D3DXVECTOR3 operator*(FLOAT s) const { return {x * s, y * s, z * s}; }
  constexpr bool operator==(const D3DXVECTOR3& v) const {
    return x == v.x && y == v.y && z == v.z;
  }
};

struct D3DXVECTOR4 {
  D3DXVECTOR4() = default;
  constexpr D3DXVECTOR4(FLOAT vx, FLOAT vy, FLOAT vz, FLOAT vw) : x(vx), y(vy), z(vz), w(vw) {}
  constexpr D3DXVECTOR4(const D3DVECTOR& xyz, FLOAT vw) : x(xyz.x), y(xyz.y), z(xyz.z), w(vw) {}
  constexpr bool operator==(const D3DXVECTOR4& v) const {
    return x == v.x && y == v.y && z == v.z && w == v.w;
  }

  FLOAT x;
  FLOAT y;
  FLOAT z;
  FLOAT w;
};

struct D3DXMATRIX : D3DMATRIX {
  D3DXMATRIX() = default;
  constexpr D3DXMATRIX(const D3DMATRIX& matrix) : D3DMATRIX(matrix) {}
  // Elements in row order.
  constexpr D3DXMATRIX(FLOAT m11, FLOAT m12, FLOAT m13, FLOAT m14,  //
                       FLOAT m21, FLOAT m22, FLOAT m23, FLOAT m24,  //
                       FLOAT m31, FLOAT m32, FLOAT m33, FLOAT m34,  //
                       FLOAT m41, FLOAT m42, FLOAT m43, FLOAT m44)
      : D3DMATRIX{{{m11, m12, m13, m14, m21, m22, m23, m24,  //
                    m31, m32, m33, m34, m41, m42, m43, m44}}} {}

  FLOAT& operator()(UINT row, UINT column) { return m[row][column]; }
  FLOAT operator()(UINT row, UINT column) const { return m[row][column]; }

  // The product this x other: the transform that applies this first.
  D3DXMATRIX operator*(const D3DXMATRIX& other) const;
  D3DXMATRIX& operator*=(const D3DXMATRIX& other);
  bool operator==(const D3DXMATRIX& other) const;
};

static_assert(sizeof(D3DXFLOAT16) == 2 && sizeof(D3DXVECTOR3) == 12);
static_assert(sizeof(D3DXVECTOR4) == 16 && sizeof(D3DXMATRIX) == 64);

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out);
// out = a x b.
D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b);

// v scaled to length 1; the zero vector stays the zero vector.
D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v);
// The point (v, 1) x m, divided by the resulting w. A w of 0 gives infinities or NaNs.
D3DXVECTOR3* D3DXVec3TransformCoord(D3DXVECTOR3* out, const D3DXVECTOR3* v,
                                    const D3DXMATRIX* m);
// D3DXVec3TransformCoord for n points read every inStride bytes and written every outStride
// bytes. out may equal in when the strides are equal (points transformed in place).
D3DXVECTOR3* D3DXVec3TransformCoordArray(D3DXVECTOR3* out, UINT outStride,
                                         const D3DXVECTOR3* in, UINT inStride,
                                         const D3DXMATRIX* m, UINT n);

// IEEE 754 conversions between binary32 and binary16, independent of the floating-point
// rounding mode. Narrowing rounds to nearest, ties to even; values from 65520 up become
// infinity; results below 2^-14 become subnormals. A NaN stays a NaN of the same sign with
// the top bits of its payload, made quiet. Widening is exact: every half has its own float.
D3DXFLOAT16* D3DXFloat32To16Array(D3DXFLOAT16* out, const FLOAT* in, UINT n);
FLOAT* D3DXFloat16To32Array(FLOAT* out, const D3DXFLOAT16* in, UINT n);
