#include "tools/imagetool/names.h"

#include <cstdio>

#include "toolkit/surface/pixel_format.h"

namespace {

struct NamedValue {
  DWORD value;
  const char* name;
};

#define NAMED(value) {static_cast<DWORD>(value), #value}

constexpr NamedValue kFormats[] = {
    NAMED(D3DFMT_UNKNOWN), NAMED(D3DFMT_R8G8B8), NAMED(D3DFMT_A8R8G8B8), NAMED(D3DFMT_X8R8G8B8),
    NAMED(D3DFMT_R5G6B5), NAMED(D3DFMT_X1R5G5B5), NAMED(D3DFMT_A1R5G5B5),
    NAMED(D3DFMT_A4R4G4B4), NAMED(D3DFMT_R3G3B2), NAMED(D3DFMT_A8), NAMED(D3DFMT_A8R3G3B2),
    NAMED(D3DFMT_X4R4G4B4), NAMED(D3DFMT_A2B10G10R10), NAMED(D3DFMT_A8B8G8R8),
    NAMED(D3DFMT_X8B8G8R8), NAMED(D3DFMT_G16R16), NAMED(D3DFMT_A2R10G10B10),
    NAMED(D3DFMT_A16B16G16R16), NAMED(D3DFMT_A8P8), NAMED(D3DFMT_P8), NAMED(D3DFMT_L8),
    NAMED(D3DFMT_A8L8), NAMED(D3DFMT_A4L4), NAMED(D3DFMT_V8U8), NAMED(D3DFMT_L6V5U5),
    NAMED(D3DFMT_X8L8V8U8), NAMED(D3DFMT_Q8W8V8U8), NAMED(D3DFMT_V16U16),
    NAMED(D3DFMT_A2W10V10U10), NAMED(D3DFMT_UYVY), NAMED(D3DFMT_R8G8_B8G8), NAMED(D3DFMT_YUY2),
    NAMED(D3DFMT_G8R8_G8B8), NAMED(D3DFMT_DXT1), NAMED(D3DFMT_DXT2), NAMED(D3DFMT_DXT3),
    NAMED(D3DFMT_DXT4), NAMED(D3DFMT_DXT5), NAMED(D3DFMT_D16_LOCKABLE), NAMED(D3DFMT_D32),
    NAMED(D3DFMT_D15S1), NAMED(D3DFMT_D24S8), NAMED(D3DFMT_D24X8), NAMED(D3DFMT_D24X4S4),
    NAMED(D3DFMT_D16), NAMED(D3DFMT_D32F_LOCKABLE), NAMED(D3DFMT_D24FS8), NAMED(D3DFMT_L16),
    NAMED(D3DFMT_VERTEXDATA), NAMED(D3DFMT_INDEX16), NAMED(D3DFMT_INDEX32),
    NAMED(D3DFMT_Q16W16V16U16), NAMED(D3DFMT_MULTI2_ARGB8), NAMED(D3DFMT_R16F),
    NAMED(D3DFMT_G16R16F), NAMED(D3DFMT_A16B16G16R16F), NAMED(D3DFMT_R32F),
    NAMED(D3DFMT_G32R32F), NAMED(D3DFMT_A32B32G32R32F), NAMED(D3DFMT_CxV8U8), NAMED(D3DFMT_A1),
    NAMED(D3DFMT_A2B10G10R10_XR_BIAS), NAMED(D3DFMT_BINARYBUFFER), NAMED(FMT_A16L16),
    NAMED(FMT_R16G16B16),
};

constexpr NamedValue kResourceTypes[] = {
    NAMED(D3DRTYPE_SURFACE),       NAMED(D3DRTYPE_VOLUME),      NAMED(D3DRTYPE_TEXTURE),
    NAMED(D3DRTYPE_VOLUMETEXTURE), NAMED(D3DRTYPE_CUBETEXTURE), NAMED(D3DRTYPE_VERTEXBUFFER),
    NAMED(D3DRTYPE_INDEXBUFFER),
};

constexpr NamedValue kFileFormats[] = {
    NAMED(D3DXIFF_BMP), NAMED(D3DXIFF_JPG), NAMED(D3DXIFF_TGA), NAMED(D3DXIFF_PNG),
    NAMED(D3DXIFF_DDS), NAMED(D3DXIFF_PPM), NAMED(D3DXIFF_DIB), NAMED(D3DXIFF_HDR),
    NAMED(D3DXIFF_PFM),
};

constexpr NamedValue kPools[] = {
    NAMED(D3DPOOL_DEFAULT), NAMED(D3DPOOL_MANAGED), NAMED(D3DPOOL_SYSTEMMEM), NAMED(D3DPOOL_SCRATCH),
};

#undef NAMED

template <std::size_t count>
std::string NameIn(const NamedValue (&table)[count], DWORD value) {
  for (const NamedValue& named : table) {
    if (named.value == value) return named.name;
  }
  char number[sizeof("0x00000000")];
  std::snprintf(number, sizeof number, "0x%08X", static_cast<unsigned>(value));
  return number;
}

}  // namespace

std::string FormatName(D3DFORMAT format) { return NameIn(kFormats, format); }

std::string ResourceTypeName(D3DRESOURCETYPE type) { return NameIn(kResourceTypes, type); }

std::string FileFormatName(D3DXIMAGE_FILEFORMAT fileFormat) {
  return NameIn(kFileFormats, fileFormat);
}

std::string PoolName(D3DPOOL pool) { return NameIn(kPools, pool); }

bool FormatFromName(const std::string& name, D3DFORMAT* format) {
  for (const NamedValue& named : kFormats) {
    if (name == named.name) {
      *format = static_cast<D3DFORMAT>(named.value);
      return true;
    }
  }
  return false;
}
