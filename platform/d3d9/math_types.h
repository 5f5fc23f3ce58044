// The plain value types of Direct3D 9 geometry and colour, laid out as published.
#pragma once

#include "platform/win32/types.h"

struct D3DVECTOR {
  float x;
  float y;
  float z;
};

// Row-major 4 x 4 matrix; m[row][column] and _<row><column> name the same element.
struct D3DMATRIX {
  union {
    struct {
      float _11, _12, _13, _14;
      float _21, _22, _23, _24;
      float _31, _32, _33, _34;
      float _41, _42, _43, _44;
    };
    float m[4][4];
  };
};

// 0xAARRGGBB.
using D3DCOLOR = DWORD;

static_assert(sizeof(D3DVECTOR) == 12 && sizeof(D3DMATRIX) == 64);
