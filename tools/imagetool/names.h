// Published names of the values the tool prints; a value without a name prints as 0x%08X.
#pragma once

#include <string>

#include "platform/d3d9/d3d9.h"
#include "toolkit/image/image_info.h"

std::string FormatName(D3DFORMAT format);
std::string ResourceTypeName(D3DRESOURCETYPE type);
std::string FileFormatName(D3DXIMAGE_FILEFORMAT fileFormat);
std::string PoolName(D3DPOOL pool);

// The format of a published name ("D3DFMT_A8R8G8B8"); false for a name the tool does not know.
bool FormatFromName(const std::string& name, D3DFORMAT* format);
