// Scenes for the stage, cube, volume and caps tests: an A8R8G8B8 target (the stages' alpha is
// seen), quads whose coordinates vary linearly over the screen, textures from reference levels,
// and frames checked against the reference pixel for pixel.
#pragma once

#include <functional>
#include <vector>

#include "platform/win32/com_object.h"
#include "tests/platform/d3d9/device_fixture.h"
#include "tests/platform/d3d9/reference_shading.h"

namespace d3d9_test {

// XYZRHW, diffuse, specular and two sets of three coordinates.
struct StageVertex {
  float x, y, z, rhw;
  D3DCOLOR diffuse, specular;
  float sets[2][3];
};

// A quad over pixels [x, x + size)²; each coordinate is given at the top-left, top-right and
// bottom-left corners of its outline and varies linearly.
struct StageQuad {
  int x = 0, y = 0, size = 0;
  D3DCOLOR diffuse = 0xFFFFFFFF, specular = 0;
  float corners[3][2][3] = {};  // top-left, top-right, bottom-left; set; component

  // Coordinate `c` of set `set` at the centre of pixel (px, py).
  double At(int set, int c, int px, int py) const {
    const double o = corners[0][set][c];
    return o + (px - x + 0.5) / size * (corners[1][set][c] - o) +
           (py - y + 0.5) / size * (corners[2][set][c] - o);
  }
};
// Set 0 (and 1) from `origin`, by `alongX` over the quad's width and `alongY` over its height.
StageQuad Quad(int x, int y, int size, const double origin[3], const double alongX[3],
               const double alongY[3]);

reference::StageSetup Stage(DWORD colorOp, DWORD arg1, DWORD arg2, DWORD alphaOp, DWORD alphaArg1,
                            DWORD alphaArg2, DWORD result = D3DTA_CURRENT);

// Texels of a repeatable pseudo-random spread of colours and alphas.
reference::Level NoiseLevel(int width, int height, int depth, std::uint32_t seed);

class StagedTest : public DeviceTest {
 protected:
  using Expected = std::function<std::uint32_t(const StageQuad&, int, int)>;

  void SetUp() override;
  void TearDown() override;

  std::vector<std::uint32_t> ReadArgb();
  // Clears, draws the quads and compares each pixel with `expected` (covered) or the clear
  // colour, within `tolerance` per channel.
  void ExpectFrame(const std::vector<StageQuad>& quads, const Expected& expected, int tolerance);
  void SetStage(DWORD stage, const reference::StageSetup& setup);
  void SetFiltering(DWORD mag, DWORD min, DWORD mip, DWORD addressW = D3DTADDRESS_WRAP);

  // Managed A8R8G8B8 textures from reference levels.
  win32::ComRef<IDirect3DTexture9> MakeFlat(const std::vector<reference::Level>& levels);
  win32::ComRef<IDirect3DCubeTexture9> MakeCube(const std::vector<reference::Level> faces[6]);
  win32::ComRef<IDirect3DVolumeTexture9> MakeVolume(const std::vector<reference::Level>& levels);

  static constexpr D3DCOLOR background = 0x20406080;
  IDirect3DSurface9* target = nullptr;
};

}  // namespace d3d9_test
