#include "tests/platform/d3d9/device_fixture.h"

namespace d3d9_test {
namespace {

using SmokeTest = DeviceTest;

TEST_F(SmokeTest, ClearsAndDrawsAQuad) {
  ClearTo(0xFF000000);
  ASSERT_EQ(S_OK, device->BeginScene());
  DrawQuad(10, 10, 20, 20, 0xFF00FF00);
  ASSERT_EQ(S_OK, device->EndScene());
  EXPECT_EQ(0x0000FF00u, PixelAt(10, 10));
  EXPECT_EQ(0x0000FF00u, PixelAt(19, 19));
  EXPECT_EQ(0x00000000u, PixelAt(20, 20));
  EXPECT_EQ(0x00000000u, PixelAt(9, 9));
}

}  // namespace
}  // namespace d3d9_test
