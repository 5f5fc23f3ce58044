// A fresh world drawn on a test device that the game's own start-up has set up, with the
// device's call log and its presented frames.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/d3d9/test_device.h"
#include "tests/game/world_fixture.h"

class SceneTest : public WorldTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The last presented frame (0xAARRGGBB); fails the test when nothing was presented.
  const d3d9::PresentedFrame& Presented();
  uint32_t PresentedPixel(int x, int y) {
    const d3d9::PresentedFrame& frame = Presented();
    return frame.pixels[size_t(y) * frame.width + size_t(x)] & 0xFFFFFF;
  }
  // Pixels of the presented frame that are not black.
  int LitPixels();

  // The logged device calls since set-up, by name, keeping only the names in `wanted` (all
  // when empty).
  std::vector<std::string> Calls(const std::vector<std::string>& wanted = {}) const;

  std::shared_ptr<d3d9::TestSetup> setup;
};
