#include "platform/d3d9/raster/vertex_input.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace d3d9 {
namespace {

UINT TypeSize(BYTE type) {
  switch (type) {
    case D3DDECLTYPE_FLOAT1: return 4;
    case D3DDECLTYPE_FLOAT2: return 8;
    case D3DDECLTYPE_FLOAT3: return 12;
    case D3DDECLTYPE_FLOAT4: return 16;
    case D3DDECLTYPE_SHORT4:
    case D3DDECLTYPE_SHORT4N:
    case D3DDECLTYPE_USHORT4N:
    case D3DDECLTYPE_FLOAT16_4: return 8;
    default: return 4;
  }
}

float Half(std::uint16_t half) {
  const std::uint32_t sign = std::uint32_t(half >> 15) << 31;
  const std::uint32_t exponent = (half >> 10) & 0x1F;
  const std::uint32_t mantissa = half & 0x3FF;
  if (exponent == 0) {
    const float value = std::ldexp(float(mantissa), -24);
    return sign != 0 ? -value : value;
  }
  if (exponent == 31) return std::bit_cast<float>(sign | 0x7F800000u | (mantissa << 13));
  return std::bit_cast<float>(sign | ((exponent + 112) << 23) | (mantissa << 13));
}

}  // namespace

void ReadElementFloats(BYTE type, const std::uint8_t* p, float out[4]) {
  out[0] = out[1] = out[2] = 0.0f;
  out[3] = 1.0f;
  switch (type) {
    case D3DDECLTYPE_FLOAT1:
    case D3DDECLTYPE_FLOAT2:
    case D3DDECLTYPE_FLOAT3:
    case D3DDECLTYPE_FLOAT4:
      std::memcpy(out, p, TypeSize(type));
      return;
    case D3DDECLTYPE_D3DCOLOR: {
      std::uint32_t c;
      std::memcpy(&c, p, 4);
      out[0] = float((c >> 16) & 0xFF) / 255.0f;
      out[1] = float((c >> 8) & 0xFF) / 255.0f;
      out[2] = float(c & 0xFF) / 255.0f;
      out[3] = float(c >> 24) / 255.0f;
      return;
    }
    case D3DDECLTYPE_UBYTE4:
    case D3DDECLTYPE_UBYTE4N:
      for (int i = 0; i < 4; ++i) out[i] = type == D3DDECLTYPE_UBYTE4 ? float(p[i]) : p[i] / 255.0f;
      return;
    case D3DDECLTYPE_SHORT2:
    case D3DDECLTYPE_SHORT4:
    case D3DDECLTYPE_SHORT2N:
    case D3DDECLTYPE_SHORT4N: {
      const int n = type == D3DDECLTYPE_SHORT2 || type == D3DDECLTYPE_SHORT2N ? 2 : 4;
      const bool normalised = type == D3DDECLTYPE_SHORT2N || type == D3DDECLTYPE_SHORT4N;
      for (int i = 0; i < n; ++i) {
        std::int16_t s;
        std::memcpy(&s, p + 2 * i, 2);
        out[i] = normalised ? std::max(-1.0f, float(s) / 32767.0f) : float(s);
      }
      return;
    }
    case D3DDECLTYPE_USHORT2N:
    case D3DDECLTYPE_USHORT4N: {
      const int n = type == D3DDECLTYPE_USHORT2N ? 2 : 4;
      for (int i = 0; i < n; ++i) {
        std::uint16_t s;
        std::memcpy(&s, p + 2 * i, 2);
        out[i] = float(s) / 65535.0f;
      }
      return;
    }
    case D3DDECLTYPE_FLOAT16_2:
    case D3DDECLTYPE_FLOAT16_4: {
      const int n = type == D3DDECLTYPE_FLOAT16_2 ? 2 : 4;
      for (int i = 0; i < n; ++i) {
        std::uint16_t h;
        std::memcpy(&h, p + 2 * i, 2);
        out[i] = Half(h);
      }
      return;
    }
    case D3DDECLTYPE_UDEC3:
    case D3DDECLTYPE_DEC3N: {
      std::uint32_t packed;
      std::memcpy(&packed, p, 4);
      for (int i = 0; i < 3; ++i) {
        const std::uint32_t bits = (packed >> (10 * i)) & 0x3FF;
        if (type == D3DDECLTYPE_UDEC3) {
          out[i] = float(bits);
        } else {
          const int value = bits >= 512 ? int(bits) - 1024 : int(bits);
          out[i] = std::max(-1.0f, float(value) / 511.0f);
        }
      }
      return;
    }
    default:
      return;
  }
}

std::uint32_t ReadElementColour(BYTE type, const std::uint8_t* p) {
  if (type == D3DDECLTYPE_D3DCOLOR) {
    std::uint32_t c;
    std::memcpy(&c, p, 4);
    return c;
  }
  float f[4];
  ReadElementFloats(type, p, f);
  const auto byte = [](float x) {
    return std::uint32_t(std::lround(std::clamp(std::isnan(x) ? 0.0f : x, 0.0f, 1.0f) * 255.0f));
  };
  return (byte(f[3]) << 24) | (byte(f[0]) << 16) | (byte(f[1]) << 8) | byte(f[2]);
}

namespace {

void Note(VertexLayout* layout, const ElementRef& element) {
  UINT& extent = layout->extent[element.stream];
  extent = std::max(extent, element.offset + TypeSize(element.type));
}

BYTE TexcoordType(DWORD fvf, UINT set) {
  switch ((fvf >> (16 + 2 * set)) & 3) {
    case D3DFVF_TEXTUREFORMAT1: return D3DDECLTYPE_FLOAT1;
    case D3DFVF_TEXTUREFORMAT3: return D3DDECLTYPE_FLOAT3;
    case D3DFVF_TEXTUREFORMAT4: return D3DDECLTYPE_FLOAT4;
    default: return D3DDECLTYPE_FLOAT2;
  }
}

UINT PositionBytes(DWORD fvf) {
  switch (fvf & D3DFVF_POSITION_MASK) {
    case D3DFVF_XYZ: return 12;
    case D3DFVF_XYZRHW:
    case D3DFVF_XYZW: return 16;
    case D3DFVF_XYZB1: return 16;
    case D3DFVF_XYZB2: return 20;
    case D3DFVF_XYZB3: return 24;
    case D3DFVF_XYZB4: return 28;
    case D3DFVF_XYZB5: return 32;
    default: return 0;
  }
}

}  // namespace

UINT FvfStride(DWORD fvf) {
  UINT stride = PositionBytes(fvf);
  if (fvf & D3DFVF_NORMAL) stride += 12;
  if (fvf & D3DFVF_PSIZE) stride += 4;
  if (fvf & D3DFVF_DIFFUSE) stride += 4;
  if (fvf & D3DFVF_SPECULAR) stride += 4;
  const UINT sets = std::min<UINT>((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT, 8);
  for (UINT set = 0; set < sets; ++set) stride += TypeSize(TexcoordType(fvf, set));
  return stride;
}

bool LayoutFromFvf(DWORD fvf, UINT texcoordSet, VertexLayout* layout, unsigned extraSets,
                   bool specular) {
  *layout = {};
  const DWORD position = fvf & D3DFVF_POSITION_MASK;
  if (PositionBytes(fvf) == 0) return false;
  layout->pretransformed = position == D3DFVF_XYZRHW;
  const bool fourComponents = position == D3DFVF_XYZRHW || position == D3DFVF_XYZW;
  layout->position = {0, 0, BYTE(fourComponents ? D3DDECLTYPE_FLOAT4 : D3DDECLTYPE_FLOAT3)};
  UINT offset = PositionBytes(fvf);
  if (fvf & D3DFVF_NORMAL) {
    layout->normal = {0, offset, D3DDECLTYPE_FLOAT3};
    offset += 12;
  }
  if (fvf & D3DFVF_PSIZE) offset += 4;
  if (fvf & D3DFVF_DIFFUSE) {
    layout->diffuse = {0, offset, D3DDECLTYPE_D3DCOLOR};
    offset += 4;
  }
  if (fvf & D3DFVF_SPECULAR) {
    if (specular) layout->specular = {0, offset, D3DDECLTYPE_D3DCOLOR};
    offset += 4;
  }
  const UINT sets = std::min<UINT>((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT, 8);
  for (UINT set = 0; set < sets; ++set) {
    const BYTE type = TexcoordType(fvf, set);
    if (set == texcoordSet) layout->texcoord = {0, offset, type};
    if ((extraSets >> set) & 1) layout->sets[set] = {0, offset, type};
    offset += TypeSize(type);
  }
  layout->extent[0] = offset;
  return true;
}

bool LayoutFromDeclaration(const std::vector<D3DVERTEXELEMENT9>& elements, UINT texcoordSet,
                           VertexLayout* layout, unsigned extraSets, bool specular) {
  *layout = {};
  for (const D3DVERTEXELEMENT9& e : elements) {
    const ElementRef ref = {int(e.Stream), e.Offset, e.Type};
    const bool extra = e.UsageIndex < 8 && ((extraSets >> e.UsageIndex) & 1) != 0;
    if (e.Usage == D3DDECLUSAGE_POSITIONT && e.UsageIndex == 0) {
      layout->position = ref;
      layout->pretransformed = true;
    } else if (e.Usage == D3DDECLUSAGE_POSITION && e.UsageIndex == 0 && !layout->pretransformed) {
      layout->position = ref;
    } else if (e.Usage == D3DDECLUSAGE_COLOR && e.UsageIndex == 0) {
      layout->diffuse = ref;
    } else if (e.Usage == D3DDECLUSAGE_TEXCOORD && (e.UsageIndex == texcoordSet || extra)) {
      if (e.UsageIndex == texcoordSet) layout->texcoord = ref;
      if (extra) layout->sets[e.UsageIndex] = ref;
    } else if (e.Usage == D3DDECLUSAGE_COLOR && e.UsageIndex == 1 && specular) {
      layout->specular = ref;
    } else if (e.Usage == D3DDECLUSAGE_NORMAL && e.UsageIndex == 0) {
      layout->normal = ref;
    } else {
      continue;
    }
    Note(layout, ref);
  }
  return layout->position.Present();
}

bool CanRead(const VertexLayout& layout, const StreamView* streams, std::int64_t index) {
  if (index < 0) return false;
  for (int s = 0; s < 16; ++s) {
    if (layout.extent[s] == 0) continue;
    const StreamView& view = streams[s];
    if (view.data == nullptr) return false;
    // In 128 bits: a far index times a wide stride passes 64.
    const unsigned __int128 end =
        static_cast<unsigned __int128>(index) * view.stride + layout.extent[s];
    if (end > view.size) return false;
  }
  return true;
}

int VertexReader::Components(UINT set) const {
  if (set >= 8 || sets[set].base == nullptr) return 2;
  switch (sets[set].type) {
    case D3DDECLTYPE_FLOAT1: return 1;
    case D3DDECLTYPE_FLOAT2:
    case D3DDECLTYPE_SHORT2:
    case D3DDECLTYPE_SHORT2N:
    case D3DDECLTYPE_USHORT2N:
    case D3DDECLTYPE_FLOAT16_2: return 2;
    case D3DDECLTYPE_FLOAT3:
    case D3DDECLTYPE_UDEC3:
    case D3DDECLTYPE_DEC3N: return 3;
    default: return 4;
  }
}

VertexReader::VertexReader(const VertexLayout& layout, const StreamView* streams) {
  const auto locate = [&](const ElementRef& e) {
    if (!e.Present()) return Element{};
    const StreamView& view = streams[e.stream];
    return Element{view.data + e.offset, view.stride, e.type};
  };
  position = locate(layout.position);
  diffuse = locate(layout.diffuse);
  texcoord = locate(layout.texcoord);
  normal = locate(layout.normal);
  for (int set = 0; set < 8; ++set) sets[set] = locate(layout.sets[set]);
  specular = locate(layout.specular);
}

}  // namespace d3d9
