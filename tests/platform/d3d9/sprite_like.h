// Draws textured rectangles the way the toolkit's sprite object does: its vertex
// declaration, a dynamic vertex buffer and a quad index buffer, its device states, and the
// screen projection made from the viewport, with identity world and view.
#pragma once

#include "tests/platform/d3d9/device_fixture.h"

namespace d3d9_test {

struct SpriteVertex {
  float x, y, z;
  D3DCOLOR colour;
  float u, v;
};

class SpriteLikeDrawer {
 public:
  explicit SpriteLikeDrawer(IDirect3DDevice9* device);
  ~SpriteLikeDrawer();

  // The sprite's states: linear filtering, clamping, alpha test GREATER 0, alpha blending,
  // stage 0 modulating texture by diffuse, no culling, no lighting.
  void SetStates();
  // The source rectangle of `texture` (texW x texH) with its top-left at (x, y).
  void Draw(IDirect3DTexture9* texture, UINT texW, UINT texH, RECT source, float x, float y,
            D3DCOLOR colour = 0xFFFFFFFF);

 private:
  IDirect3DDevice9* device;
  IDirect3DVertexDeclaration9* declaration = nullptr;
  IDirect3DVertexBuffer9* vertices = nullptr;
  IDirect3DIndexBuffer9* indices = nullptr;
  UINT nextVertex = 0;
};

D3DMATRIX ScreenProjection(const D3DVIEWPORT9& viewport);

}  // namespace d3d9_test
