// SafeRelease: drops a counted interface reference held in a member or local and clears the
// pointer, so that a second call does nothing.
#pragma once

template <class Interface>
void SafeRelease(Interface*& object) {
  if (object == nullptr) return;
  object->Release();
  object = nullptr;
}
