// The source of an entry point's file bytes, chosen by what names them: a file name (narrow or
// wide) opens a FileSource, a module and resource name a ResourceSource.
#pragma once

#include "toolkit/image/file_source.h"
#include "toolkit/image/resource_source.h"

template <class Name>
struct ImageSourceFor {
  using Type = FileSource;
};
template <>
struct ImageSourceFor<ModuleResourceA> {
  using Type = ResourceSource;
};
template <>
struct ImageSourceFor<ModuleResourceW> {
  using Type = ResourceSource;
};

template <class Name>
using ImageSource = typename ImageSourceFor<Name>::Type;
