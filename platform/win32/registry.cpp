// The in-process registry: a tree of keys under the predefined roots, each with named values.
// Open handles hold their key; a key removed by ClearRegistry answers ERROR_KEY_DELETED.
#include "platform/win32/registry.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <memory>

namespace {

struct Value {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

struct Key {
  // Both maps are keyed by the lower-case name: names compare without regard to case.
  std::map<std::string, std::shared_ptr<Key>> subkeys;
  std::map<std::string, Value> values;
  bool deleted = false;
};

constexpr ULONG_PTR kFirstKeyHandle = 0x1000;
constexpr ULONG_PTR kKeyHandleStep = 4;

struct RegistryState {
  std::shared_ptr<Key> classesRoot = std::make_shared<Key>();
  std::shared_ptr<Key> currentUser = std::make_shared<Key>();
  std::shared_ptr<Key> localMachine = std::make_shared<Key>();
  std::map<ULONG_PTR, std::shared_ptr<Key>> openKeys;
  ULONG_PTR nextHandle = kFirstKeyHandle;
  int queryCount = 0;
};

// Function-local so that tools may fill the registry from their own start-up code.
RegistryState& Registry() {
  static RegistryState state;
  return state;
}

std::string Lower(const std::string& text) {
  std::string lower = text;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

// "Software\\Name\\" -> {"software", "name"}; empty parts (doubled, leading or trailing
// separators) are skipped.
std::vector<std::string> PathParts(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) parts.push_back(Lower(path.substr(start, end - start)));
    start = end + 1;
  }
  return parts;
}

std::shared_ptr<Key> RootKey(HKEY key) {
  RegistryState& state = Registry();
  if (key == HKEY_CLASSES_ROOT) return state.classesRoot;
  if (key == HKEY_CURRENT_USER) return state.currentUser;
  if (key == HKEY_LOCAL_MACHINE) return state.localMachine;
  return nullptr;
}

std::shared_ptr<Key> KeyOfHandle(HKEY key) {
  if (std::shared_ptr<Key> root = RootKey(key)) return root;
  auto found = Registry().openKeys.find(reinterpret_cast<ULONG_PTR>(key));
  return found == Registry().openKeys.end() ? nullptr : found->second;
}

std::shared_ptr<Key> FindSubkey(std::shared_ptr<Key> key, const std::string& path) {
  for (const std::string& part : PathParts(path)) {
    auto found = key->subkeys.find(part);
    if (found == key->subkeys.end()) return nullptr;
    key = found->second;
  }
  return key;
}

std::shared_ptr<Key> MakeSubkey(std::shared_ptr<Key> key, const std::string& path) {
  for (const std::string& part : PathParts(path)) {
    std::shared_ptr<Key>& child = key->subkeys[part];
    if (child == nullptr) child = std::make_shared<Key>();
    key = child;
  }
  return key;
}

void MarkDeleted(Key& key) {
  key.deleted = true;
  for (auto& [name, child] : key.subkeys) MarkDeleted(*child);
}

HKEY OpenHandle(std::shared_ptr<Key> key) {
  RegistryState& state = Registry();
  const ULONG_PTR handle = state.nextHandle;
  state.nextHandle += kKeyHandleStep;
  state.openKeys[handle] = std::move(key);
  return reinterpret_cast<HKEY>(handle);
}

}  // namespace

LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM, HKEY* result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  const std::shared_ptr<Key> parent = KeyOfHandle(key);
  if (parent == nullptr) return ERROR_INVALID_HANDLE;
  if (parent->deleted) return ERROR_KEY_DELETED;
  std::shared_ptr<Key> opened = FindSubkey(parent, subKey != nullptr ? subKey : "");
  if (opened == nullptr) return ERROR_FILE_NOT_FOUND;
  *result = OpenHandle(std::move(opened));
  return ERROR_SUCCESS;
}

// A null or empty name is the key's default value. The type is written whenever the value
// exists; the data only when it fits, otherwise ERROR_MORE_DATA with the size needed.
LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD dataSize) {
  ++Registry().queryCount;
  if (reserved != nullptr || (data != nullptr && dataSize == nullptr)) {
    return ERROR_INVALID_PARAMETER;
  }
  const std::shared_ptr<Key> opened = KeyOfHandle(key);
  if (opened == nullptr) return ERROR_INVALID_HANDLE;
  if (opened->deleted) return ERROR_KEY_DELETED;
  auto found = opened->values.find(Lower(valueName != nullptr ? valueName : ""));
  if (found == opened->values.end()) return ERROR_FILE_NOT_FOUND;
  const Value& value = found->second;
  if (type != nullptr) *type = value.type;
  if (dataSize == nullptr) return ERROR_SUCCESS;
  const auto size = static_cast<DWORD>(value.data.size());
  const DWORD room = *dataSize;
  *dataSize = size;
  if (data == nullptr) return ERROR_SUCCESS;
  if (room < size) return ERROR_MORE_DATA;
  if (size > 0) std::memcpy(data, value.data.data(), size);
  return ERROR_SUCCESS;
}

// Closing a predefined root is allowed and does nothing.
LONG RegCloseKey(HKEY key) {
  if (RootKey(key) != nullptr) return ERROR_SUCCESS;
  if (Registry().openKeys.erase(reinterpret_cast<ULONG_PTR>(key)) == 0) {
    return ERROR_INVALID_HANDLE;
  }
  return ERROR_SUCCESS;
}

namespace win32 {

void SetRegistryValue(HKEY root, const std::string& keyPath, const std::string& valueName,
                      DWORD type, const std::vector<BYTE>& data) {
  const std::shared_ptr<Key> rootKey = RootKey(root);
  if (rootKey == nullptr) return;
  MakeSubkey(rootKey, keyPath)->values[Lower(valueName)] = Value{type, data};
}

void SetRegistryDword(HKEY root, const std::string& keyPath, const std::string& valueName,
                      DWORD value) {
  std::vector<BYTE> bytes(sizeof(DWORD));
  std::memcpy(bytes.data(), &value, sizeof(DWORD));
  SetRegistryValue(root, keyPath, valueName, REG_DWORD, bytes);
}

void SetRegistryString(HKEY root, const std::string& keyPath, const std::string& valueName,
                       const std::string& value) {
  std::vector<BYTE> bytes(value.begin(), value.end());
  bytes.push_back(0);
  SetRegistryValue(root, keyPath, valueName, REG_SZ, bytes);
}

void ClearRegistry() {
  RegistryState& state = Registry();
  for (std::shared_ptr<Key>* root : {&state.classesRoot, &state.currentUser, &state.localMachine}) {
    MarkDeleted(**root);
    *root = std::make_shared<Key>();
  }
}

int RegistryQueryCount() { return Registry().queryCount; }

}  // namespace win32
