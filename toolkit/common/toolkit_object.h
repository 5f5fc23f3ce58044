// The base of the toolkit's COM objects (the sprite, the font), on the program's one
// reference-count mechanism (platform/win32/com_object.h).
//
// Toolkit objects answer a null out-pointer of QueryInterface with D3DERR_INVALIDCALL and leave
// the out-pointer alone when they refuse an identifier. They live in memory from AllocateBytes
// (so that tests can refuse it), made with placement new, and go back there at the last Release.
#pragma once

#include <array>

#include "platform/d3d9/results.h"
#include "platform/win32/com_object.h"
#include "toolkit/common/allocation.h"

struct ToolkitQueryRules {
  static constexpr HRESULT nullObject = D3DERR_INVALIDCALL;
  static constexpr bool clearsRefused = false;
};

template <class Interface>
class ToolkitObject : public win32::ComObject<Interface> {
 protected:
  void LastReleased() override {
    void* block = dynamic_cast<void*>(this);
    this->~ToolkitObject();  // virtual: the whole object goes
    FreeBytes(block);
  }
};
