// From vertices to primitives on screen: transformation (world × view × projection and the
// viewport) with lighting for untransformed vertices, clipping in clip space (near and far
// planes while D3DRS_CLIPPING is on, a guard band always), pre-transformed vertices taken as
// screen pixels, and the assembly of lists, strips and fans. Triangles and lines are cut on the
// planes; a point outside them is dropped.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/d3d9/device_state.h"
#include "platform/d3d9/raster/raster.h"
#include "platform/d3d9/raster/vertex_input.h"
#include "platform/d3d9/raster/working_memory.h"

namespace d3d9 {

// What the geometry steps need beyond the raster context, whose stages (when set, every
// stage's coordinates and the specular colour are processed) and working memory they share.
struct GeometrySetup {
  RasterContext context;
  bool pretransformed = false;
  double transform[4][4] = {};  // world × view × projection
  double normalTransform[3][3] = {};  // world × view, for lighting
  D3DVIEWPORT9 viewport{};
  bool clipping = true;
  bool lighting = false;
  bool lastPixel = true;
  double textureWidth = 0.0;  // level 0, to scale texture coordinates into texels
  double textureHeight = 0.0;
  const DeviceState* state = nullptr;
  // Coordinates wrapped round a cylinder (D3DRS_WRAP0..7 of the set a slot comes from): the
  // slot, and its period in the slot's units (the texture's size there).
  struct Wrap {
    int slot;
    double period;
  };
  Wrap wraps[attributeCount] = {};
  int wrapCount = 0;
};

// Computes the transform and lighting parts of a setup from the device state.
void PrepareTransforms(const DeviceState& state, GeometrySetup* setup);
// Finds the wrapped coordinates of a setup whose texture sizes and stages are set; stage 0
// alone reads coordinate set `texcoordSet`.
void PrepareWrapping(const DeviceState& state, UINT texcoordSet, GeometrySetup* setup);

class GeometryDrawer {
 public:
  explicit GeometryDrawer(const GeometrySetup& geometry);

  // Processes the vertices first .. first + count - 1 (the caller has checked them readable);
  // false when there is no memory for them.
  bool Process(const VertexLayout& layout, const StreamView* streams, std::int64_t first,
               std::int64_t count);
  // Processes only the listed vertices, into slots 0 .. count - 1: for indices that reach far
  // apart, where the whole range between them would not fit in memory.
  bool ProcessList(const VertexLayout& layout, const StreamView* streams,
                   const std::int64_t* vertexNumbers, std::size_t count);
  // Draws primitives over processed vertices; `vertexOf(i)` gives the vertex of the i-th
  // index (already offset), within the processed range.
  template <class VertexOf>
  void Draw(D3DPRIMITIVETYPE type, UINT primitiveCount, VertexOf vertexOf);
  // Pairs of triangles the rectangle path has drawn.
  std::uint64_t RectanglesTaken() const { return rectanglesTaken; }

 private:
  struct Processed {
    double clip[4];
    unsigned outside;  // planes the vertex is outside of
    RasterVertex screen;
  };

  const Processed& At(std::int64_t vertex) const { return vertices[std::size_t(vertex - first)]; }
  // Wrapped coordinates (D3DRS_WRAP0..7) are taken the shorter way round from the first
  // vertex's, then the primitive is drawn as it is.
  void Triangle(const Processed& a, const Processed& b, const Processed& c);
  void Line(const Processed& a, const Processed& b);
  // Moves each wrapped coordinate of `v` by whole periods to within half a period of the
  // one of `from`.
  void WrapTowards(const Processed& from, Processed* v) const;
  void TriangleAsIs(const Processed& a, const Processed& b, const Processed& c);
  void LineAsIs(const Processed& a, const Processed& b);
  void TrianglePair(const Processed* first[3], const Processed* second[3]);
  void ClipAndDraw(const Processed* corners[3]);
  // Whether a plane (of the Plane bits in geometry.cpp) cuts this draw's primitives.
  bool Clips(unsigned plane) const;
  // The guard band in the units primitives are cut in: clip space, or pixels for
  // pre-transformed vertices.
  void GuardBand(double* gx, double* gy) const;
  // A point inside the planes, back on screen.
  RasterVertex Unclip(const double clip[4], const double attributes[attributeCount],
                      double screenZ, bool perspective) const;
  RasterVertex Project(const double clip[4], const double attributes[attributeCount]) const;
  // The screen position (x, y, z and q) of a clip-space position inside the planes.
  [[gnu::always_inline]] inline void PlaceOnScreen(const double clip[4], RasterVertex* v) const;
  std::uint32_t Light(const InputVertex& input) const;
  bool Reserve(std::size_t count);
  struct ProcessContext;
  ProcessContext ContextFor(const VertexLayout& layout, const StreamView* streams) const;
  void ProcessVertex(const ProcessContext& context, std::int64_t index, Processed& out) const;
  void FillStageAttributes(const ProcessContext& context, std::int64_t index,
                           RasterVertex& out) const;

  const GeometrySetup& setup;
  // The viewport as the screen mapping of every vertex uses it, converted once a draw.
  struct ViewportValues {
    double x, y, width, height, minZ, depth;
  } view;
  // Left uninitialised until processed: a vertex's screen position is written only when it
  // lies inside the planes, and read only then.
  std::unique_ptr<Processed[]> vertices;
  std::int64_t first = 0;
  std::uint64_t rectanglesTaken = 0;
};

template <class VertexOf>
void GeometryDrawer::Draw(D3DPRIMITIVETYPE type, UINT primitiveCount, VertexOf vertexOf) {
  const RasterContext& context = setup.context;
  switch (type) {
    case D3DPT_POINTLIST:
      for (UINT i = 0; i < primitiveCount; ++i) {
        const Processed& p = At(vertexOf(i));
        if (p.outside == 0) DrawPoint(context, p.screen);
      }
      return;
    case D3DPT_LINELIST:
    case D3DPT_LINESTRIP:
      for (UINT i = 0; i < primitiveCount; ++i) {
        const UINT start = type == D3DPT_LINELIST ? 2 * i : i;
        const Processed& a = At(vertexOf(start));
        const Processed& b = At(vertexOf(start + 1));
        Line(a, b);
      }
      return;
    default:
      break;
  }
  const auto corners = [&](UINT i, const Processed* out[3]) {
    if (type == D3DPT_TRIANGLELIST) {
      for (UINT k = 0; k < 3; ++k) out[k] = &At(vertexOf(3 * i + k));
    } else if (type == D3DPT_TRIANGLESTRIP) {
      // Every other triangle of a strip is turned back to the strip's winding.
      out[0] = &At(vertexOf(i + (i & 1)));
      out[1] = &At(vertexOf(i + 1 - (i & 1)));
      out[2] = &At(vertexOf(i + 2));
    } else {
      out[0] = &At(vertexOf(0));
      out[1] = &At(vertexOf(i + 1));
      out[2] = &At(vertexOf(i + 2));
    }
  };
  UINT i = 0;
  for (; i + 1 < primitiveCount; i += 2) {
    const Processed* a[3];
    const Processed* b[3];
    corners(i, a);
    corners(i + 1, b);
    TrianglePair(a, b);
  }
  if (i < primitiveCount) {
    const Processed* a[3];
    corners(i, a);
    Triangle(*a[0], *a[1], *a[2]);
  }
}

}  // namespace d3d9
