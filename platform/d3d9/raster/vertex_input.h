// Reading vertices from their streams, by an FVF code or a vertex declaration: position,
// diffuse colour and one set of texture coordinates (the set stage 0 names).
#pragma once

#include <cstddef>
#include <cstdint>
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
  UINT extent[16] = {};  // bytes each stream's vertex needs
};

// False for codes that cannot be drawn (no position, or a position kind it cannot read).
bool LayoutFromFvf(DWORD fvf, UINT texcoordSet, VertexLayout* layout);
bool LayoutFromDeclaration(const std::vector<D3DVERTEXELEMENT9>& elements, UINT texcoordSet,
                           VertexLayout* layout);
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
// Reads a vertex that CanRead accepted. Missing parts: white, coordinates (0, 0), w 1.
InputVertex ReadVertex(const VertexLayout& layout, const StreamView* streams, std::int64_t index);

}  // namespace d3d9
