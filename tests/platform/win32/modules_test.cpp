#include "platform/win32/modules.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

void First() {}
void Second() {}

class ModuleTable : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const char* name : {"fake.dll", "resident.dll", "later.dll"}) {
      win32::HideModule(name, false);
      win32::UnregisterModule(name);
    }
  }
};

TEST_F(ModuleTable, ProgramIsAlwaysThere) {
  HMODULE program = GetModuleHandleA(nullptr);
  EXPECT_NE(program, nullptr);
  EXPECT_EQ(GetModuleHandleA(nullptr), program);
  EXPECT_EQ(GetProcAddress(program, "First"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_PROC_NOT_FOUND});
}

TEST_F(ModuleTable, UnknownModulesAreNotFound) {
  EXPECT_EQ(GetModuleHandleA("nothing.dll"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_MOD_NOT_FOUND});
  EXPECT_EQ(LoadLibraryA("nothing"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_MOD_NOT_FOUND});
}

TEST_F(ModuleTable, NamesIgnoreCaseExtensionAndFolder) {
  win32::RegisterModule("Fake.DLL", {{"First", First}}, true);
  HMODULE module = GetModuleHandleA("fake.dll");
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(GetModuleHandleA("FAKE"), module);
  EXPECT_EQ(GetModuleHandleA("C:\\Windows\\System32\\fake.dll"), module);
  EXPECT_EQ(GetModuleHandleA("fake.exe"), nullptr);
  EXPECT_EQ(GetModuleHandleA("D:/games/FaKe"), module);
  EXPECT_EQ(GetModuleHandleA("fake.dll."), module);
  // A trailing dot means no extension, so "fake." is not "fake.dll"; nor are near names.
  EXPECT_EQ(GetModuleHandleA("fake."), nullptr);
  EXPECT_EQ(GetModuleHandleA("fak"), nullptr);
  EXPECT_EQ(GetModuleHandleA("fakes"), nullptr);
  EXPECT_EQ(GetModuleHandleA("fake.dl"), nullptr);
  EXPECT_EQ(GetModuleHandleA("fake.dll\\"), nullptr);
  win32::RegisterModule("later", {{"First", First}}, true);
  EXPECT_EQ(GetModuleHandleA("LATER.DLL"), GetModuleHandleA("later"));
  EXPECT_NE(GetModuleHandleA("later"), nullptr);
  EXPECT_NE(GetModuleHandleA("later"), module);
}

TEST_F(ModuleTable, GenerationMovesWithEveryChangeALookupCouldSee) {
  std::uint64_t last = win32::ModuleTableGeneration();
  const auto moved = [&] {
    const std::uint64_t now = win32::ModuleTableGeneration();
    const bool changed = now != last;
    last = now;
    return changed;
  };
  GetModuleHandleA("fake.dll");
  EXPECT_FALSE(moved());
  win32::RegisterModule("fake.dll", {{"First", First}}, false);
  EXPECT_TRUE(moved());
  HMODULE module = LoadLibraryA("fake.dll");
  EXPECT_TRUE(moved());
  GetProcAddress(module, "First");
  EXPECT_FALSE(moved());
  FreeLibrary(module);
  EXPECT_TRUE(moved());
  win32::HideModule("fake.dll", true);
  EXPECT_TRUE(moved());
  win32::HideModule("fake.dll", false);
  EXPECT_TRUE(moved());
  win32::UnregisterModule("fake.dll");
  EXPECT_TRUE(moved());
}

TEST_F(ModuleTable, ExportsAreFoundByExactName) {
  win32::RegisterModule("fake.dll", {{"First", First}, {"Second", Second}}, true);
  HMODULE module = GetModuleHandleA("fake");
  EXPECT_EQ(GetProcAddress(module, "Second"), Second);
  EXPECT_EQ(GetProcAddress(module, "first"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_PROC_NOT_FOUND});
  EXPECT_EQ(GetProcAddress(module, nullptr), nullptr);
}

TEST_F(ModuleTable, LoadedOnlyWhileReferenced) {
  win32::RegisterModule("fake.dll", {{"First", First}}, false);
  EXPECT_EQ(GetModuleHandleA("fake.dll"), nullptr);  // registered, not loaded
  HMODULE module = LoadLibraryA("FAKE.dll");
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(LoadLibraryA("fake"), module);
  EXPECT_EQ(GetModuleHandleA("fake.dll"), module);

  EXPECT_TRUE(FreeLibrary(module));
  EXPECT_EQ(GetProcAddress(module, "First"), First);  // one reference left
  EXPECT_TRUE(FreeLibrary(module));
  EXPECT_EQ(GetModuleHandleA("fake.dll"), nullptr);
  EXPECT_EQ(GetProcAddress(module, "First"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_MOD_NOT_FOUND});
  EXPECT_FALSE(FreeLibrary(module));  // a reference nobody holds
  EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
}

TEST_F(ModuleTable, ModuleOfTheProcessIsNeverUnloaded) {
  win32::RegisterModule("resident.dll", {{"First", First}}, true);
  HMODULE module = LoadLibraryA("resident.dll");
  ASSERT_NE(module, nullptr);
  EXPECT_TRUE(FreeLibrary(module));
  EXPECT_TRUE(FreeLibrary(module));
  EXPECT_EQ(GetModuleHandleA("resident.dll"), module);
}

TEST_F(ModuleTable, HiddenModuleIsAbsentForEveryLookup) {
  win32::RegisterModule("fake.dll", {{"First", First}}, true);
  HMODULE module = GetModuleHandleA("fake.dll");
  win32::HideModule("FAKE", true);
  EXPECT_EQ(GetModuleHandleA("fake.dll"), nullptr);
  EXPECT_EQ(LoadLibraryA("fake.dll"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_MOD_NOT_FOUND});
  EXPECT_EQ(GetProcAddress(module, "First"), nullptr);
  win32::HideModule("fake.dll", false);
  EXPECT_EQ(GetModuleHandleA("fake.dll"), module);

  // Hiding applies also to a module registered after it.
  win32::HideModule("later.dll", true);
  win32::RegisterModule("later.dll", {}, true);
  EXPECT_EQ(GetModuleHandleA("later.dll"), nullptr);
}

TEST_F(ModuleTable, ReplacingAModuleKeepsItsHandle) {
  win32::RegisterModule("fake.dll", {{"Hook", First}}, true);
  HMODULE module = GetModuleHandleA("fake.dll");
  win32::RegisterModule("fake.dll", {{"Hook", Second}}, true);
  EXPECT_EQ(GetModuleHandleA("fake.dll"), module);
  EXPECT_EQ(GetProcAddress(module, "Hook"), Second);
}

TEST_F(ModuleTable, UnregisteredModuleHandleIsInvalid) {
  win32::RegisterModule("fake.dll", {{"First", First}}, true);
  HMODULE module = GetModuleHandleA("fake.dll");
  win32::UnregisterModule("fake");
  EXPECT_EQ(GetModuleHandleA("fake.dll"), nullptr);
  EXPECT_EQ(GetProcAddress(module, "First"), nullptr);
  EXPECT_FALSE(FreeLibrary(module));
}

}  // namespace
