// Module resources: lookup by string and integer names and types, the module's state, and the
// handles' lifetime.
#include <gtest/gtest.h>

#include "platform/win32/modules.h"
#include "platform/win32/resources.h"

namespace {

class ResourcesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win32::RegisterModule("resource-test.dll", {}, true);
    win32::RegisterResource("Resource-Test", RT_RCDATA, "Alpha", alpha, sizeof(alpha));
    win32::RegisterResource("resource-test.dll", RT_BITMAP, MAKEINTRESOURCEA(7), beta, sizeof(beta));
    module = GetModuleHandleA("resource-test");
    ASSERT_NE(nullptr, module);
  }
  void TearDown() override {
    win32::UnregisterResources("resource-test.dll");
    win32::UnregisterModule("resource-test.dll");
  }

  const BYTE alpha[3] = {1, 2, 3};
  const BYTE beta[5] = {9, 8, 7, 6, 5};
  HMODULE module = nullptr;
};

TEST_F(ResourcesTest, NamesAndTypesAreFoundAsStringsOrIntegers) {
  HRSRC found = FindResourceA(module, "ALPHA", RT_RCDATA);
  ASSERT_NE(nullptr, found);
  EXPECT_EQ(3u, SizeofResource(module, found));
  const BYTE* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
  EXPECT_EQ(alpha, bytes);
  EXPECT_EQ(found, FindResourceW(module, u"alpha", MAKEINTRESOURCEW(10)));
  EXPECT_EQ(found, FindResourceA(module, "alpha", "#10"));

  HRSRC seven = FindResourceA(module, MAKEINTRESOURCEA(7), RT_BITMAP);
  ASSERT_NE(nullptr, seven);
  EXPECT_EQ(5u, SizeofResource(module, seven));
  EXPECT_EQ(seven, FindResourceA(module, "#7", RT_BITMAP));
  EXPECT_EQ(seven, FindResourceW(module, u"#7", MAKEINTRESOURCEW(2)));
  // "#7x" is a string name, not the integer 7.
  EXPECT_EQ(nullptr, FindResourceA(module, "#7x", RT_BITMAP));
}

TEST_F(ResourcesTest, MissingResourcesAndModulesSayWhy) {
  EXPECT_EQ(nullptr, FindResourceA(module, "beta", RT_RCDATA));
  EXPECT_EQ(DWORD(ERROR_RESOURCE_NAME_NOT_FOUND), GetLastError());
  EXPECT_EQ(nullptr, FindResourceA(module, "alpha", MAKEINTRESOURCEA(3)));
  EXPECT_EQ(DWORD(ERROR_RESOURCE_TYPE_NOT_FOUND), GetLastError());
  // The program's own module does not carry the test module's resources.
  EXPECT_EQ(nullptr, FindResourceA(nullptr, "alpha", RT_RCDATA));
  EXPECT_EQ(nullptr, FindResourceA(module, nullptr, RT_RCDATA));
  EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());

  // A module that is not loaded has no resources to find.
  win32::RegisterModule("resource-test.dll", {}, false);
  EXPECT_EQ(nullptr, FindResourceA(module, "alpha", RT_RCDATA));
  EXPECT_EQ(DWORD(ERROR_MOD_NOT_FOUND), GetLastError());
}

TEST_F(ResourcesTest, HandlesOfResourcesTakenAwayAreRefused) {
  HRSRC found = FindResourceA(module, "alpha", RT_RCDATA);
  ASSERT_NE(nullptr, found);
  win32::UnregisterResources("RESOURCE-TEST");
  EXPECT_EQ(0u, SizeofResource(module, found));
  EXPECT_EQ(nullptr, LoadResource(module, found));
  EXPECT_EQ(0u, SizeofResource(module, nullptr));
  EXPECT_EQ(nullptr, LoadResource(module, nullptr));
}

}  // namespace
