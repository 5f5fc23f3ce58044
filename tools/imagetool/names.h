// Published names of the values the tool prints; a value without a name prints as 0x%08X.
#pragma once

#include <string>

#include "platform/d3d9/d3d9.h"
#include "toolkit/image/image_info.h"

std::string FormatName(D3DFORMAT format);
std::string ResourceTypeName(D3DRESOURCETYPE type);
std::string FileFormatName(D3DXIMAGE_FILEFORMAT fileFormat);
