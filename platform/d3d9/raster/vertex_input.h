// Reading vertices from their streams, by an FVF code or a vertex declaration: position,
// diffuse colour and one set of texture coordinates (the set stage 0 names), and when texture
// stages ask for them, more sets (up to three components) and the specular colour.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/d3d9/records.h"

namespace d3d9 {

struct StreamView {
  const std::uint8_t* data = nullptr;  // first byte of vertex 0 (the stream offset applied)
  std::size_t size = 0;                // bytes from data to the end of the buffer
  UINT stride = 0;
};

struct ElementRef {
  int stream = -1;  // -1: absent
  UINT offset = 0;
  BYTE type = D3DDECLTYPE_UNUSED;
  bool Present() const { return stream >= 0; }
};

struct VertexLayout {
  bool pretransformed = false;  // XYZRHW or POSITIONT: positions are screen pixels
  ElementRef position;
  ElementRef diffuse;
  ElementRef texcoord;
  ElementRef normal;
  ElementRef sets[8];  // the sets asked for beyond `texcoord`
  ElementRef specular;
  UINT extent[16] = {};  // bytes each stream's vertex needs
};

// False for codes that cannot be drawn (no position, or a position kind it cannot read).
// `extraSets` has bit k for each further set k to read; `specular` asks for the specular colour.
bool LayoutFromFvf(DWORD fvf, UINT texcoordSet, VertexLayout* layout, unsigned extraSets = 0,
                   bool specular = false);
bool LayoutFromDeclaration(const std::vector<D3DVERTEXELEMENT9>& elements, UINT texcoordSet,
                           VertexLayout* layout, unsigned extraSets = 0, bool specular = false);
// Bytes of one vertex of an FVF code.
UINT FvfStride(DWORD fvf);

struct InputVertex {
  float position[4];  // x, y, z, w (rhw when pretransformed)
  std::uint32_t diffuse;
  float u, v;
  float normal[3];
};

// Whether vertex `index` can be read from every stream the layout uses.
bool CanRead(const VertexLayout& layout, const StreamView* streams, std::int64_t index);

// An element of any declaration type as four floats, absent components (0, 0, 0, 1); as a
// colour, 0xAARRGGBB.
void ReadElementFloats(BYTE type, const std::uint8_t* p, float out[4]);
std::uint32_t ReadElementColour(BYTE type, const std::uint8_t* p);

// Reads the vertices of one draw, with the elements' addresses found once: every vertex of
// every draw goes through here. Float elements are read a component at a time straight into
// what the caller keeps: a whole-vector reload of smaller stores would stall every vertex.
class VertexReader {
 public:
  VertexReader(const VertexLayout& layout, const StreamView* streams);

  // Parts of vertex `index`, which CanRead accepted. Missing parts: position w 1, white,
  // coordinates (0, 0), normal (0, 0, 0).
  void Position(std::int64_t index, float out[4]) const { Floats(position, index, out); }
  std::uint32_t Diffuse(std::int64_t index) const;
  void Texcoord(std::int64_t index, float* u, float* v) const;
  InputVertex Read(std::int64_t index) const;
  // Set `set` (one the layout asked for) as four floats, absent components as
  // ReadElementFloats gives them; the number of components the set has (2 when absent); and
  // the specular colour, black when absent.
  void Coordinates(std::int64_t index, UINT set, float out[4]) const;
  int Components(UINT set) const;
  std::uint32_t Specular(std::int64_t index) const;

 private:
  struct Element {
    const std::uint8_t* base = nullptr;  // the element of vertex 0; null when absent
    std::size_t stride = 0;
    BYTE type = D3DDECLTYPE_UNUSED;

    const std::uint8_t* At(std::int64_t index) const { return base + std::size_t(index) * stride; }
  };

  static float Load(const std::uint8_t* p) {
    float value;
    std::memcpy(&value, p, sizeof value);
    return value;
  }

  // Floats are the common case and read in line; other types take the general conversion.
  static void Floats(const Element& e, std::int64_t index, float out[4]) {
    if (e.base == nullptr) {
      out[0] = out[1] = out[2] = 0.0f;
      out[3] = 1.0f;
      return;
    }
    const std::uint8_t* p = e.At(index);
    const BYTE type = e.type;
    if (type >= D3DDECLTYPE_FLOAT2 && type <= D3DDECLTYPE_FLOAT4) {
      out[0] = Load(p);
      out[1] = Load(p + 4);
      out[2] = type >= D3DDECLTYPE_FLOAT3 ? Load(p + 8) : 0.0f;
      out[3] = type == D3DDECLTYPE_FLOAT4 ? Load(p + 12) : 1.0f;
      return;
    }
    float read[4];
    ReadElementFloats(type, p, read);
    for (int k = 0; k < 4; ++k) out[k] = read[k];
  }

  Element position, diffuse, texcoord, normal;
  Element sets[8];
  Element specular;
};

inline void VertexReader::Coordinates(std::int64_t index, UINT set, float out[4]) const {
  Floats(set < 8 ? sets[set] : Element{}, index, out);
}

inline std::uint32_t VertexReader::Specular(std::int64_t index) const {
  if (specular.base == nullptr) return 0;
  return ReadElementColour(specular.type, specular.At(index));
}

inline std::uint32_t VertexReader::Diffuse(std::int64_t index) const {
  if (diffuse.base == nullptr) return 0xFFFFFFFFu;
  if (diffuse.type != D3DDECLTYPE_D3DCOLOR) return ReadElementColour(diffuse.type, diffuse.At(index));
  std::uint32_t colour;
  std::memcpy(&colour, diffuse.At(index), sizeof colour);
  return colour;
}

inline void VertexReader::Texcoord(std::int64_t index, float* u, float* v) const {
  float t[4];
  Floats(texcoord, index, t);
  *u = texcoord.base != nullptr ? t[0] : 0.0f;
  *v = texcoord.base != nullptr ? t[1] : 0.0f;
}

inline InputVertex VertexReader::Read(std::int64_t index) const {
  InputVertex vertex;
  Position(index, vertex.position);
  vertex.diffuse = Diffuse(index);
  Texcoord(index, &vertex.u, &vertex.v);
  float n[4];
  Floats(normal, index, n);
  std::copy(n, n + 3, vertex.normal);
  return vertex;
}

}  // namespace d3d9
