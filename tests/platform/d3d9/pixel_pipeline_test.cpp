// The pixel pipeline's shortcuts for the sprite's usual states (texel times diffuse, source-alpha
// blending) give exactly what the general operations give.
#include "platform/d3d9/raster/pixel_pipeline.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

using d3d9::DeviceState;
using d3d9::PixelPipeline;

DeviceState SpriteStates() {
  DeviceState state = DeviceState::Defaults(64, 64, false);
  auto& stage = state.stageStates[0];
  stage[D3DTSS_COLOROP] = D3DTOP_MODULATE;
  stage[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
  stage[D3DTSS_COLORARG2] = D3DTA_DIFFUSE;
  stage[D3DTSS_ALPHAOP] = D3DTOP_MODULATE;
  stage[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
  stage[D3DTSS_ALPHAARG2] = D3DTA_DIFFUSE;
  state.renderStates[D3DRS_ALPHABLENDENABLE] = TRUE;
  state.renderStates[D3DRS_SRCBLEND] = D3DBLEND_SRCALPHA;
  state.renderStates[D3DRS_DESTBLEND] = D3DBLEND_INVSRCALPHA;
  state.renderStates[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
  return state;
}

// The same arithmetic reached through the general path: the alpha arguments carry a flag that
// alpha operations ignore, and the "both" source factor sets the same destination factor.
DeviceState GeneralStates() {
  DeviceState state = SpriteStates();
  state.stageStates[0][D3DTSS_ALPHAARG1] = D3DTA_TEXTURE | D3DTA_ALPHAREPLICATE;
  state.renderStates[D3DRS_SRCBLEND] = D3DBLEND_BOTHSRCALPHA;
  return state;
}

TEST(PixelPipeline, SpriteShortcutsEqualTheGeneralOperations) {
  for (bool targetAlpha : {false, true}) {
    const PixelPipeline fast(SpriteStates(), true, targetAlpha);
    const PixelPipeline general(GeneralStates(), true, targetAlpha);
    const std::uint32_t colours[] = {0x00000000, 0xFFFFFFFF, 0x80FF0000, 0x7F123456,
                                     0xC0FEDCBA, 0x01FF80FF, 0xFF00FF00};
    for (std::uint32_t alpha = 0; alpha < 256; ++alpha) {
      for (std::uint32_t texel : colours) {
        texel = (texel & 0x00FFFFFF) | (alpha << 24);
        for (std::uint32_t diffuse : colours) {
          const std::uint32_t combined = fast.Combine(texel, diffuse);
          ASSERT_EQ(general.Combine(texel, diffuse), combined)
              << std::hex << texel << " " << diffuse;
          for (std::uint32_t target : colours) {
            std::uint32_t a = target, b = target;
            fast.Write(&a, combined);
            general.Write(&b, combined);
            ASSERT_EQ(b, a) << std::hex << combined << " over " << target;
          }
        }
      }
    }
  }
}

}  // namespace
