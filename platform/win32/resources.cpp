// The resources of the module table's modules, kept apart from the modules themselves so that a
// program's embedded files can register before any module is.
#include "platform/win32/resources.h"

#include <algorithm>
#include <list>

#include "platform/win32/modules.h"
#include "platform/win32/utf8.h"

namespace {

// A type or a name: an integer, or a string kept in upper case (lookups ignore ASCII case).
struct ResourceKey {
  bool isInteger = false;
  WORD id = 0;
  std::string text;

  bool operator==(const ResourceKey&) const = default;
};

struct Resource : HRSRC__ {
  std::string module;
  ResourceKey type;
  ResourceKey name;
  const BYTE* bytes = nullptr;
  DWORD size = 0;
};

// Function-local so that embedded resources may register from start-up code. A list, so that
// handles (addresses of its elements) stay valid while others come and go.
std::list<Resource>& Resources() {
  static std::list<Resource> resources;
  return resources;
}

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

// "#123" names the integer 123, as in resource scripts.
ResourceKey KeyOfText(std::string text) {
  ResourceKey key;
  if (text.size() > 1 && text[0] == '#' &&
      std::all_of(text.begin() + 1, text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    unsigned long value = 0;
    for (std::size_t i = 1; i < text.size() && value <= 0xFFFF; ++i) {
      value = value * 10 + static_cast<unsigned long>(text[i] - '0');
    }
    if (value <= 0xFFFF) {
      key.isInteger = true;
      key.id = static_cast<WORD>(value);
      return key;
    }
  }
  std::transform(text.begin(), text.end(), text.begin(), AsciiUpper);
  key.text = std::move(text);
  return key;
}

ResourceKey KeyOf(LPCSTR name) {
  if (IS_INTRESOURCE(name)) return ResourceKey{true, static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name)), {}};
  return KeyOfText(name);
}

ResourceKey KeyOf(LPCWSTR name) {
  if (IS_INTRESOURCE(name)) return ResourceKey{true, static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name)), {}};
  int length = 0;
  while (name[length] != 0) ++length;
  win32::UnitSink<char> counter(nullptr, 0);
  win32::Utf16ToUtf8(name, length, false, counter);
  std::string text(static_cast<std::size_t>(counter.Count()), '\0');
  win32::UnitSink<char> sink(text.data(), static_cast<int>(text.size()));
  win32::Utf16ToUtf8(name, length, false, sink);
  return KeyOfText(std::move(text));
}

template <class Name>
HRSRC Find(HMODULE module, Name name, Name type) {
  std::string moduleName;
  if (name == nullptr || type == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (!win32::LoadedModuleName(module, moduleName)) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  const ResourceKey typeKey = KeyOf(type), nameKey = KeyOf(name);
  bool typeFound = false;
  for (Resource& resource : Resources()) {
    if (resource.module != moduleName || !(resource.type == typeKey)) continue;
    typeFound = true;
    if (resource.name == nameKey) return &resource;
  }
  SetLastError(typeFound ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
  return nullptr;
}

// Only handles that FindResource gave and that are still registered are followed.
const Resource* Registered(HRSRC handle) {
  if (handle == nullptr) return nullptr;
  for (const Resource& resource : Resources()) {
    if (&resource == handle) return &resource;
  }
  return nullptr;
}

}  // namespace

HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) { return Find(module, name, type); }

HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) { return Find(module, name, type); }

DWORD SizeofResource(HMODULE, HRSRC handle) {
  const Resource* resource = Registered(handle);
  if (resource == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return resource->size;
}

HGLOBAL LoadResource(HMODULE, HRSRC handle) {
  const Resource* resource = Registered(handle);
  if (resource == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return const_cast<BYTE*>(resource->bytes);
}

LPVOID LockResource(HGLOBAL data) { return data; }

namespace win32 {

void RegisterResource(const std::string& moduleName, LPCSTR type, LPCSTR name, const void* bytes,
                      DWORD size) {
  const std::string module = CanonicalModuleName(moduleName);
  const ResourceKey typeKey = KeyOf(type), nameKey = KeyOf(name);
  for (Resource& resource : Resources()) {
    if (resource.module == module && resource.type == typeKey && resource.name == nameKey) {
      resource.bytes = static_cast<const BYTE*>(bytes);
      resource.size = size;
      return;
    }
  }
  Resource resource;
  resource.module = module;
  resource.type = typeKey;
  resource.name = nameKey;
  resource.bytes = static_cast<const BYTE*>(bytes);
  resource.size = size;
  Resources().push_back(std::move(resource));
}

void UnregisterResources(const std::string& moduleName) {
  const std::string module = CanonicalModuleName(moduleName);
  Resources().remove_if([&](const Resource& resource) { return resource.module == module; });
}

}  // namespace win32
