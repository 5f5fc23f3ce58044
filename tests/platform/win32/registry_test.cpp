#include "platform/win32/registry.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* kKey = "Software\\Mirefell\\Settings";

class Registry : public ::testing::Test {
 protected:
  void SetUp() override { win32::ClearRegistry(); }
  void TearDown() override {
    if (key != nullptr) RegCloseKey(key);
    win32::ClearRegistry();
  }
  // Opens kKey under the local machine into `key`.
  LONG Open() { return RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &key); }

  HKEY key = nullptr;
};

TEST_F(Registry, StartsEmpty) {
  key = reinterpret_cast<HKEY>(1);
  EXPECT_EQ(Open(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
}

TEST_F(Registry, KeyPathsIgnoreCaseAndOuterSeparators) {
  win32::SetRegistryDword(HKEY_LOCAL_MACHINE, kKey, "Level", 3);
  EXPECT_EQ(
      RegOpenKeyExA(HKEY_LOCAL_MACHINE, "\\SOFTWARE\\mirefell\\settings\\", 0, KEY_READ, &key),
      ERROR_SUCCESS);
  EXPECT_NE(key, nullptr);
  HKEY other = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &other), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Mirefell\\Missing", 0, KEY_READ, &other),
            ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, DwordValueReadsBackWithTypeAndSize) {
  win32::SetRegistryDword(HKEY_LOCAL_MACHINE, kKey, "Level", 0x01020304);
  ASSERT_EQ(Open(), ERROR_SUCCESS);
  DWORD type = REG_NONE;
  DWORD value = 0;
  DWORD size = sizeof(value);
  ASSERT_EQ(RegQueryValueExA(key, "LEVEL", nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(value, 0x01020304u);
}

TEST_F(Registry, NullDataAsksForTheSize) {
  win32::SetRegistryString(HKEY_LOCAL_MACHINE, kKey, "Name", "Mirefell");
  ASSERT_EQ(Open(), ERROR_SUCCESS);
  DWORD type = REG_NONE;
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Name", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, 9u);
  EXPECT_EQ(RegQueryValueExA(key, "Name", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
}

TEST_F(Registry, SmallBufferGetsMoreDataAndIsLeftAlone) {
  win32::SetRegistryValue(HKEY_LOCAL_MACHINE, kKey, "Blob", REG_BINARY, {1, 2, 3, 4, 5, 6});
  ASSERT_EQ(Open(), ERROR_SUCCESS);
  BYTE buffer[8] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
  DWORD type = REG_NONE;
  DWORD size = 5;
  EXPECT_EQ(RegQueryValueExA(key, "Blob", nullptr, &type, buffer, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(type, REG_BINARY);
  EXPECT_EQ(buffer[0], 0xEE);
  size = sizeof(buffer);
  EXPECT_EQ(RegQueryValueExA(key, "Blob", nullptr, nullptr, buffer, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(buffer[5], 6);
  EXPECT_EQ(buffer[6], 0xEE);
}

TEST_F(Registry, MissingValueIsNotFound) {
  win32::SetRegistryDword(HKEY_LOCAL_MACHINE, kKey, "Level", 1);
  ASSERT_EQ(Open(), ERROR_SUCCESS);
  DWORD type = 77;
  DWORD size = 4;
  DWORD value = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Other", nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(type, 77u);
}

TEST_F(Registry, BadArgumentsAreRefused) {
  win32::SetRegistryDword(HKEY_LOCAL_MACHINE, kKey, "Level", 1);
  ASSERT_EQ(Open(), ERROR_SUCCESS);
  DWORD reserved = 0;
  DWORD value = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Level", &reserved, nullptr, nullptr, nullptr),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(
      RegQueryValueExA(key, "Level", nullptr, nullptr, reinterpret_cast<LPBYTE>(&value), nullptr),
      ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
  HKEY unknown = reinterpret_cast<HKEY>(0x12345);
  EXPECT_EQ(RegQueryValueExA(unknown, "Level", nullptr, nullptr, nullptr, nullptr),
            ERROR_INVALID_HANDLE);
}

TEST_F(Registry, EveryQueryIsCounted) {
  win32::SetRegistryDword(HKEY_LOCAL_MACHINE, kKey, "Level", 1);
  ASSERT_EQ(Open(), ERROR_SUCCESS);
  const int before = win32::RegistryQueryCount();
  RegQueryValueExA(key, "Level", nullptr, nullptr, nullptr, nullptr);
  RegQueryValueExA(key, "Missing", nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(win32::RegistryQueryCount(), before + 2);
  win32::ClearRegistry();
  EXPECT_EQ(win32::RegistryQueryCount(), before + 2);
}

TEST_F(Registry, ClosedHandleIsInvalid) {
  win32::SetRegistryDword(HKEY_LOCAL_MACHINE, kKey, "Level", 1);
  ASSERT_EQ(Open(), ERROR_SUCCESS);
  HKEY again = nullptr;
  ASSERT_EQ(RegOpenKeyExA(key, nullptr, 0, KEY_READ, &again), ERROR_SUCCESS);
  EXPECT_NE(again, key);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegQueryValueExA(key, "Level", nullptr, nullptr, nullptr, nullptr),
            ERROR_INVALID_HANDLE);
  key = nullptr;
  // The second handle to the same key is still good.
  EXPECT_EQ(RegQueryValueExA(again, "Level", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(again), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
}

TEST_F(Registry, SubkeysOpenRelativeToAnOpenKey) {
  win32::SetRegistryDword(HKEY_LOCAL_MACHINE, kKey, "Level", 1);
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software", 0, KEY_READ, &key), ERROR_SUCCESS);
  HKEY settings = nullptr;
  ASSERT_EQ(RegOpenKeyExA(key, "Mirefell\\Settings", 0, KEY_READ, &settings), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExA(settings, "Level", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  RegCloseKey(settings);
}

TEST_F(Registry, ClearingDeletesKeysThatAreStillOpen) {
  win32::SetRegistryDword(HKEY_LOCAL_MACHINE, kKey, "Level", 1);
  ASSERT_EQ(Open(), ERROR_SUCCESS);
  win32::ClearRegistry();
  EXPECT_EQ(RegQueryValueExA(key, "Level", nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  key = nullptr;
  EXPECT_EQ(Open(), ERROR_FILE_NOT_FOUND);
}

}  // namespace
