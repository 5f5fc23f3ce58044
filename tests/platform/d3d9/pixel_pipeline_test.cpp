// The pixel pipeline's shortcuts for the sprite's usual states (texel times diffuse, source-alpha
// blending) give exactly what the general operations give.
#include "platform/d3d9/raster/pixel_pipeline.h"

#include "platform/d3d9/raster/sprite_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

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

// Rows are written by the widest kernel the processor has: each of them runs here, as far as
// the processor goes, and the plain one too.
class RowKernels : public ::testing::TestWithParam<unsigned> {
 protected:
  void SetUp() override {
    d3d9::LimitSpriteRowStep(GetParam());
    if (d3d9::SpriteRowStep() != GetParam()) GTEST_SKIP() << "no such kernel on this processor";
  }
  void TearDown() override { d3d9::LimitSpriteRowStep(16); }
};

INSTANTIATE_TEST_SUITE_P(PixelPipeline, RowKernels, ::testing::Values(1u, 4u, 8u, 16u),
                         [](const auto& test) { return std::to_string(test.param) + "Pixels"; });

// A row written at once equals the same pixels combined and written one by one, on the
// sprite's states, on states that reach the general operations, and under every alpha test.
TEST_P(RowKernels, RowsEqualPixelByPixelWrites) {
  DeviceState tested = SpriteStates();
  tested.renderStates[D3DRS_ALPHATESTENABLE] = TRUE;
  tested.renderStates[D3DRS_ALPHAFUNC] = D3DCMP_GREATER;
  tested.renderStates[D3DRS_ALPHAREF] = 0x40;
  DeviceState masked = SpriteStates();
  masked.renderStates[D3DRS_COLORWRITEENABLE] = D3DCOLORWRITEENABLE_RED | D3DCOLORWRITEENABLE_ALPHA;
  constexpr std::uint32_t count = 256;
  std::uint32_t texels[count], targets[count];
  for (std::uint32_t i = 0; i < count; ++i) {
    texels[i] = (i << 24) | ((i * 37u) & 0xFF) << 16 | ((i * 91u) & 0xFF) << 8 | ((255 - i) & 0xFF);
    targets[i] = ((i * 13u) & 0xFF) << 24 | ((i * 7u) & 0xFF) << 16 | (i * 0x0101u);
  }
  std::vector<DeviceState> states = {SpriteStates(), GeneralStates(), masked};
  for (DWORD func = D3DCMP_NEVER; func <= D3DCMP_ALWAYS + 1; ++func) {
    for (DWORD reference : {0u, 0x40u, 0xFFu}) {
      tested.renderStates[D3DRS_ALPHAFUNC] = func;
      tested.renderStates[D3DRS_ALPHAREF] = reference;
      states.push_back(tested);
    }
  }
  for (const DeviceState& state : states) {
    for (bool targetAlpha : {false, true}) {
      const PixelPipeline pipeline(state, true, targetAlpha);
      for (std::uint32_t diffuse : {0xFFFFFFFFu, 0xFFFF0000u, 0x80406080u}) {
        std::uint32_t row[count], pixels[count];
        std::copy(targets, targets + count, row);
        std::copy(targets, targets + count, pixels);
        // Rows of every length from 1 up, so that both whole groups of pixels and leftovers
        // are written.
        for (std::uint32_t start = 0, length = 1; start < count; start += length, ++length) {
          pipeline.WriteRow(row + start, texels + start, std::min(length, count - start), diffuse);
        }
        for (std::uint32_t i = 0; i < count; ++i) {
          pipeline.Write(pixels + i, pipeline.Combine(texels[i], diffuse));
          ASSERT_EQ(pixels[i], row[i]) << i << " " << std::hex << diffuse;
        }
      }
    }
  }
}

// Blocks of rows with groups of fully transparent and fully opaque texels, which the row
// kernel skips or copies whole: the result is still the pixel-by-pixel one, on targets whose
// alpha bytes are not opaque, and nothing beyond each row's count changes.
TEST_P(RowKernels, BlocksOfRowsSkipAndCopyOnlyWhereTheResultIsTheSame) {
  constexpr std::uint32_t columns = 29, rows = 6, texelPitch = 37, targetPitch = 31;
  std::vector<std::uint32_t> texels(texelPitch * rows);
  for (std::uint32_t i = 0; i < texels.size(); ++i) {
    // Runs of sixteen, eight and four texels from the rows' starts (so that every kernel
    // meets whole groups of each kind), in turn from row to row.
    const std::uint32_t x = i % texelPitch, y = i / texelPitch;
    const std::uint32_t span = 16u >> (y % 3);
    const std::uint32_t group = (x / span + y / 3) % 3;
    const std::uint32_t alpha = group == 0 ? 0 : (group == 1 ? 0xFF : (i * 53u) & 0xFF);
    texels[i] = alpha << 24 | ((i * 97u) & 0xFFFFFF);
  }
  std::vector<std::uint32_t> targets(targetPitch * rows);
  for (std::uint32_t i = 0; i < targets.size(); ++i) targets[i] = (i * 2654435761u) & 0x7FFFFFFF;
  DeviceState tested = SpriteStates();
  tested.renderStates[D3DRS_ALPHATESTENABLE] = TRUE;
  tested.renderStates[D3DRS_ALPHAFUNC] = D3DCMP_GREATER;
  DeviceState masked = SpriteStates();
  masked.renderStates[D3DRS_COLORWRITEENABLE] = D3DCOLORWRITEENABLE_GREEN;
  for (const DeviceState& state : {SpriteStates(), tested, masked}) {
    for (bool targetAlpha : {false, true}) {
      const PixelPipeline pipeline(state, true, targetAlpha);
      for (std::uint32_t diffuse : {0xFFFFFFFFu, 0xC0FF4020u}) {
        std::vector<std::uint32_t> block = targets, pixels = targets;
        pipeline.WriteRows(block.data(), targetPitch, texels.data(), texelPitch, columns, rows,
                           diffuse);
        for (std::uint32_t y = 0; y < rows; ++y) {
          for (std::uint32_t x = 0; x < columns; ++x) {
            pipeline.Write(&pixels[y * targetPitch + x],
                           pipeline.Combine(texels[y * texelPitch + x], diffuse));
          }
        }
        ASSERT_EQ(pixels, block) << std::hex << diffuse << " alpha target " << targetAlpha;
      }
    }
  }
}

}  // namespace
