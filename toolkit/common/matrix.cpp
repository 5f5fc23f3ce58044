#include "toolkit/common/d3dx_math.h"

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out) {
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) out->m[row][column] = row == column ? 1.0f : 0.0f;
  }
  return out;
}

D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b) {
  // Built aside, since out may be a or b.
  D3DMATRIX product;
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      product.m[row][column] = a->m[row][0] * b->m[0][column] + a->m[row][1] * b->m[1][column] +
                               a->m[row][2] * b->m[2][column] + a->m[row][3] * b->m[3][column];
    }
  }
  *out = product;
  return out;
}

D3DXMATRIX D3DXMATRIX::operator*(const D3DXMATRIX& other) const {
  D3DXMATRIX product;
  D3DXMatrixMultiply(&product, this, &other);
  return product;
}

D3DXMATRIX& D3DXMATRIX::operator*=(const D3DXMATRIX& other) {
  D3DXMatrixMultiply(this, this, &other);
  return *this;
}

bool D3DXMATRIX::operator==(const D3DXMATRIX& other) const {
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      if (m[row][column] != other.m[row][column]) return false;
    }
  }
  return true;
}
