#include <cmath>
#include <cstddef>
#include <cstring>

#include "toolkit/common/d3dx_math.h"

D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v) {
  // In double, so that very short and very long vectors neither underflow nor overflow.
  const double x = v->x;
  const double y = v->y;
  const double z = v->z;
  const double length = std::sqrt(x * x + y * y + z * z);
  if (length == 0.0) {
    *out = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    return out;
  }
  *out = D3DXVECTOR3(static_cast<float>(x / length), static_cast<float>(y / length),
                     static_cast<float>(z / length));
  return out;
}

D3DXVECTOR3* D3DXVec3TransformCoord(D3DXVECTOR3* out, const D3DXVECTOR3* v,
                                    const D3DXMATRIX* m) {
  // Read everything before writing, since out may be v.
  const float x = v->x;
  const float y = v->y;
  const float z = v->z;
  const float tx = x * m->_11 + y * m->_21 + z * m->_31 + m->_41;
  const float ty = x * m->_12 + y * m->_22 + z * m->_32 + m->_42;
  const float tz = x * m->_13 + y * m->_23 + z * m->_33 + m->_43;
  const float w = x * m->_14 + y * m->_24 + z * m->_34 + m->_44;
  *out = D3DXVECTOR3(tx / w, ty / w, tz / w);
  return out;
}

D3DXVECTOR3* D3DXVec3TransformCoordArray(D3DXVECTOR3* out, UINT outStride,
                                         const D3DXVECTOR3* in, UINT inStride,
                                         const D3DXMATRIX* m, UINT n) {
  // Points are copied through a local, so any stride is allowed, aligned or not.
  auto* target = reinterpret_cast<unsigned char*>(out);
  auto* source = reinterpret_cast<const unsigned char*>(in);
  for (std::size_t i = 0; i < n; ++i) {
    D3DXVECTOR3 point;
    std::memcpy(&point, source + i * inStride, sizeof(point));
    D3DXVec3TransformCoord(&point, &point, m);
    std::memcpy(target + i * outStride, &point, sizeof(point));
  }
  return out;
}
