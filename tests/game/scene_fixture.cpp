#include "tests/game/scene_fixture.h"

#include <algorithm>

#include "app/graphics.h"
#include "game/world.h"

void SceneTest::SetUp() {
  WorldTest::SetUp();
  setup = std::make_shared<d3d9::TestSetup>();
  window = nullptr;
  SetUpDeviceOn(d3d9::CreateTestDirect3D(setup));
  ASSERT_NE(device, nullptr);
  setup->ClearLog();
}

void SceneTest::TearDown() {
  ReleaseAllGraphics();
  WorldTest::TearDown();
}

const d3d9::PresentedFrame& SceneTest::Presented() {
  static const d3d9::PresentedFrame none;
  const d3d9::PresentedFrame* frame = d3d9::LastPresentedFrame(device);
  EXPECT_NE(frame, nullptr) << "nothing presented";
  return frame != nullptr ? *frame : none;
}

int SceneTest::LitPixels() {
  const d3d9::PresentedFrame& frame = Presented();
  return static_cast<int>(std::count_if(frame.pixels.begin(), frame.pixels.end(),
                                        [](uint32_t p) { return (p & 0xFFFFFF) != 0; }));
}

std::vector<std::string> SceneTest::Calls(const std::vector<std::string>& wanted) const {
  std::vector<std::string> names;
  for (const d3d9::CallRecord& call : setup->Log()) {
    if (wanted.empty() ||
        std::find(wanted.begin(), wanted.end(), call.operation) != wanted.end()) {
      names.push_back(call.operation);
    }
  }
  return names;
}
