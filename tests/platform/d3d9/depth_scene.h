// Scenes drawn twice, by the device and by the reference rasteriser, with the depth and
// stencil contents read back: lockable depth formats through a lock, stencil by drawing a
// full-target quad once for each of the 256 values with STENCILFUNC EQUAL.
#pragma once

#include <vector>

#include "tests/platform/d3d9/device_fixture.h"
#include "tests/platform/d3d9/reference_raster.h"

namespace d3d9_test {

class DepthSceneTest : public DeviceTest {
 protected:
  void TearDown() override;

  // Creates a width x height depth-stencil surface of `format` and binds it.
  void UseDepth(D3DFORMAT format);
  reference::DepthKind KindOf(D3DFORMAT format) const;
  // The bound surface's depth per pixel, as the reference keeps it (a lockable format).
  std::vector<std::uint32_t> ReadDepth();
  // The stencil value of every pixel; the render target and states are left changed.
  std::vector<std::uint32_t> RevealStencil();

  // Clears the device's target to black and gives a reference frame (16-bit depth) cleared
  // alike, its depth at 1 and stencil at 0: the start of a scene without a depth buffer.
  reference::Frame BlackFrame();

  void Apply(const reference::States& states);
  // Draws a triangle list, or a fan when `fan`, on the device and in `frame`.
  void Draw(reference::Frame& frame, const reference::States& states,
            const std::vector<reference::Vertex>& vertices, bool fan = false);
  void DrawLines(reference::Frame& frame, const reference::States& states,
                 const std::vector<reference::Vertex>& ends);
  void DrawPoints(reference::Frame& frame, const reference::States& states,
                  const std::vector<reference::Vertex>& points);

  // Expects the device's colours (and depth, with a lockable format) to be the frame's, each
  // channel within `tolerance`.
  void ExpectSameColours(const reference::Frame& frame, const std::string& scene,
                         int tolerance = 0);
  void ExpectSameDepth(const reference::Frame& frame, const std::string& scene);

  IDirect3DSurface9* depthSurface = nullptr;
};

}  // namespace d3d9_test
