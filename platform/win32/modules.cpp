// The module table. A module is loaded while the process holds it (registered as loaded) or
// while LoadLibraryA references to it are outstanding; only loaded modules have valid handles.
#include "platform/win32/modules.h"

#include <algorithm>
#include <cstdint>
#include <set>
#include <string_view>

namespace {

const HMODULE kProgramModule = reinterpret_cast<HMODULE>(static_cast<ULONG_PTR>(0x00400000));
constexpr ULONG_PTR kFirstModuleHandle = 0x10000000;
constexpr ULONG_PTR kModuleHandleStep = 0x10000;

struct Module {
  std::string name;  // canonical: lower case, with its extension
  win32::ModuleExports exports;
  bool loadedByProcess = false;
  int references = 0;
  HMODULE handle = nullptr;
};

struct ModuleTable {
  std::vector<Module> modules;
  std::set<std::string> hidden;
  ULONG_PTR nextHandle = kFirstModuleHandle;
  std::uint64_t generation = 0;  // moves on every change that a lookup could see
};

// Function-local so that other libraries can register their modules from start-up code.
ModuleTable& Table() {
  static ModuleTable table;
  return table;
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

// A module name taken apart: the file name of the path (the base, in any case), followed by
// ".dll" when `addsExtension`; a trailing dot means "no extension". One pass over the name:
// lookups run on every frame.
struct NameQuery {
  std::string_view base;
  bool addsExtension = false;

  explicit NameQuery(std::string_view name) {
    std::size_t start = 0;
    bool dotted = false;
    for (std::size_t i = 0; i < name.size(); ++i) {
      if (name[i] == '\\' || name[i] == '/') {
        start = i + 1;
        dotted = false;
      } else if (name[i] == '.') {
        dotted = true;
      }
    }
    base = name.substr(start);
    if (!base.empty() && base.back() == '.') {
      base.remove_suffix(1);
    } else {
      addsExtension = !dotted;
    }
  }

  // "C:\\dir\\D3D9" -> "d3d9.dll".
  std::string Canonical() const {
    std::string canonical(base);
    std::transform(canonical.begin(), canonical.end(), canonical.begin(), AsciiLower);
    if (addsExtension) canonical += ".dll";
    return canonical;
  }

  // Whether the name is that of the module named `canonical`, without building Canonical().
  bool Names(std::string_view canonical) const {
    constexpr std::string_view dll = ".dll";
    if (!addsExtension) return EqualIgnoringCase(canonical, base);
    return canonical.size() == base.size() + dll.size() && canonical.ends_with(dll) &&
           EqualIgnoringCase(canonical.substr(0, base.size()), base);
  }
};

bool IsName(LPCSTR name) { return reinterpret_cast<ULONG_PTR>(name) >= 0x10000; }

bool IsLoaded(const Module& module) { return module.loadedByProcess || module.references > 0; }

bool IsHidden(const Module& module) { return Table().hidden.count(module.name) != 0; }

Module* ByName(LPCSTR name) {
  if (!IsName(name)) return nullptr;
  const NameQuery query(name);
  for (Module& module : Table().modules) {
    if (query.Names(module.name)) return IsHidden(module) ? nullptr : &module;
  }
  return nullptr;
}

// Only handles of loaded, visible modules are valid.
Module* ByHandle(HMODULE handle) {
  for (Module& module : Table().modules) {
    if (module.handle == handle) {
      return IsLoaded(module) && !IsHidden(module) ? &module : nullptr;
    }
  }
  return nullptr;
}

}  // namespace

HMODULE GetModuleHandleA(LPCSTR moduleName) {
  if (moduleName == nullptr) return kProgramModule;
  const Module* module = ByName(moduleName);
  if (module == nullptr || !IsLoaded(*module)) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  return module->handle;
}

HMODULE LoadLibraryA(LPCSTR moduleName) {
  if (moduleName == nullptr || moduleName[0] == '\0') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  Module* module = ByName(moduleName);
  if (module == nullptr) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  ++module->references;
  ++Table().generation;
  return module->handle;
}

// Exports are found by exact name; ordinals are not supported.
FARPROC GetProcAddress(HMODULE handle, LPCSTR procName) {
  if (handle == kProgramModule) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  const Module* module = ByHandle(handle);
  if (module == nullptr) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  if (procName != nullptr && IsName(procName)) {
    for (const auto& [name, procedure] : module->exports) {
      if (name == procName) return procedure;
    }
  }
  SetLastError(ERROR_PROC_NOT_FOUND);
  return nullptr;
}

// A module that the process loaded itself stays; releasing a reference never held fails.
BOOL FreeLibrary(HMODULE handle) {
  if (handle == kProgramModule) return TRUE;
  Module* module = ByHandle(handle);
  if (module == nullptr || (module->references == 0 && !module->loadedByProcess)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (module->references > 0) --module->references;
  ++Table().generation;
  return TRUE;
}

namespace win32 {

// Replacing a module keeps its handle and its references, so that holders stay valid.
void RegisterModule(const std::string& name, ModuleExports exports, bool loaded) {
  ModuleTable& table = Table();
  ++table.generation;
  const std::string canonical = NameQuery(name).Canonical();
  for (Module& module : table.modules) {
    if (module.name != canonical) continue;
    module.exports = std::move(exports);
    module.loadedByProcess = loaded;
    return;
  }
  Module module{canonical, std::move(exports), loaded, 0,
                reinterpret_cast<HMODULE>(table.nextHandle)};
  table.nextHandle += kModuleHandleStep;
  table.modules.push_back(std::move(module));
}

void UnregisterModule(const std::string& name) {
  const std::string canonical = NameQuery(name).Canonical();
  std::erase_if(Table().modules, [&](const Module& m) { return m.name == canonical; });
  ++Table().generation;
}

void HideModule(const std::string& name, bool hidden) {
  const std::string canonical = NameQuery(name).Canonical();
  if (hidden) {
    Table().hidden.insert(canonical);
  } else {
    Table().hidden.erase(canonical);
  }
  ++Table().generation;
}

std::uint64_t ModuleTableGeneration() { return Table().generation; }

std::string CanonicalModuleName(const std::string& name) {
  return name.empty() ? std::string() : NameQuery(name).Canonical();
}

bool LoadedModuleName(HMODULE handle, std::string& name) {
  if (handle == nullptr || handle == kProgramModule) {
    name.clear();
    return true;
  }
  const Module* module = ByHandle(handle);
  if (module == nullptr) return false;
  name = module->name;
  return true;
}

}  // namespace win32
