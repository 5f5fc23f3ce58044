// Scenes for the texture stages, cube and volume tests: an A8R8G8B8 render target (so that
// the stages' alpha is seen), quads whose texture coordinates vary linearly over the screen,
// textures of every kind filled from texel lists, and frames checked against the reference
// pixel for pixel.
#pragma once

#include <functional>
#include <vector>

#include "tests/platform/d3d9/device_fixture.h"
#include "tests/platform/d3d9/reference_shading.h"

namespace d3d9_test {

// XYZRHW, diffuse, specular and two sets of three coordinates.
struct StageVertex {
  float x, y, z, rhw;
  D3DCOLOR diffuse, specular;
  float sets[2][3];
};
constexpr DWORD stageVertexFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX2 |
                                 D3DFVF_TEXCOORDSIZE3(0) | D3DFVF_TEXCOORDSIZE3(1);

// A quad over pixels [x, x + width) × [y, y + height); each coordinate is given at the
// top-left, top-right and bottom-left corners of the quad's outline and varies linearly.
struct StageQuad {
  int x = 0, y = 0, width = 0, height = 0;
  D3DCOLOR diffuse = 0xFFFFFFFF, specular = 0;
  float topLeft[2][3] = {}, topRight[2][3] = {}, bottomLeft[2][3] = {};

  bool Covers(int px, int py) const {
    return px >= x && px < x + width && py >= y && py < y + height;
  }
  // Coordinate `component` of set `set` at the centre of pixel (px, py).
  double At(int set, int component, int px, int py) const;
};

class StagedTest : public DeviceTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  void Draw(const StageQuad& quad);
  // The render target as 0xAARRGGBB.
  std::vector<std::uint32_t> ReadArgb();
  // Clears to `background`, draws the quads and compares every pixel with `expected` (for
  // covered pixels) or the background, within `tolerance` per channel.
  void ExpectFrame(const std::vector<StageQuad>& quads,
                   const std::function<std::uint32_t(const StageQuad&, int, int)>& expected,
                   int tolerance, D3DCOLOR background = 0x20406080);

  void SetStage(DWORD stage, DWORD colorOp, DWORD arg1, DWORD arg2, DWORD alphaOp, DWORD alphaArg1,
                DWORD alphaArg2);
  // Stage states as the reference takes them.
  void SetStage(DWORD stage, const reference::StageSetup& setup);

  // Textures (managed A8R8G8B8) from reference levels; the caller releases them.
  IDirect3DTexture9* MakeFlat(const std::vector<reference::Level>& levels);
  IDirect3DCubeTexture9* MakeCube(const std::vector<reference::Level> faces[6]);
  IDirect3DVolumeTexture9* MakeVolume(const std::vector<reference::Level>& levels);

  IDirect3DSurface9* target = nullptr;
};

// Texels of a repeatable pseudo-random spread of colours and alphas.
reference::Level NoiseLevel(int width, int height, int depth, std::uint32_t seed);

}  // namespace d3d9_test
