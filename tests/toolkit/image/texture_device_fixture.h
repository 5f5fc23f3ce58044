// A test device for the texture toolkit: the standard adapter on a test setup, whose
// capabilities and accepted formats each test may change, with fault injection and the log.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/test_device.h"
#include "platform/win32/com_object.h"

namespace image_test {

class TextureDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setup = std::make_shared<d3d9::TestSetup>();
    ASSERT_EQ(S_OK, d3d9::CreateTestDevice(setup, 64, 64, &device));
  }
  void TearDown() override {
    if (device != nullptr) {
      EXPECT_EQ(0u, device->Release());
    }
  }

  D3DCAPS9& Caps() { return setup->profile.caps; }
  // The next call of `operation` fails with `result`.
  void FailNext(const std::string& operation, HRESULT result) {
    setup->FailCall(operation, setup->CallCount(operation) + 1, result);
  }
  // References held on the device's IDirect3D9 object, ours not counted.
  ULONG Direct3DReferences() {
    IDirect3D9* direct3d = nullptr;
    if (FAILED(device->GetDirect3D(&direct3d))) return 0;
    direct3d->AddRef();
    const ULONG count = direct3d->Release();
    direct3d->Release();
    return count - 1;
  }

  std::shared_ptr<d3d9::TestSetup> setup;
  IDirect3DDevice9* device = nullptr;
};

inline ULONG ReferencesOf(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

}  // namespace image_test
