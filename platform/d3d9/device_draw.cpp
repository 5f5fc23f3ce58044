// Scenes, clearing and the draw calls.
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <optional>

#include "platform/d3d9/buffers.h"
#include "platform/d3d9/device.h"
#include "platform/d3d9/raster/depth_stencil.h"
#include "platform/d3d9/raster/geometry.h"
#include "platform/d3d9/raster/texel_cache.h"
#include "platform/d3d9/raster/texture_stages.h"
#include "platform/d3d9/texture.h"

namespace d3d9 {

struct Device::VertexSource {
  StreamView streams[streamCount];
  std::int64_t base = 0;  // added to every index (or the first vertex of an unindexed draw)
};

namespace {

// Counted in 64 bits: a count near the top of the 32-bit range must not wrap to a few indices.
std::uint64_t IndexCountOf(D3DPRIMITIVETYPE type, UINT primitives) {
  const std::uint64_t n = primitives;
  switch (type) {
    case D3DPT_POINTLIST: return n;
    case D3DPT_LINELIST: return 2 * n;
    case D3DPT_LINESTRIP: return n + 1;
    case D3DPT_TRIANGLELIST: return 3 * n;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN: return n + 2;
    default: return 0;
  }
}

// Indices that reach this much further than the draw has indices are processed one by one
// instead of as the whole range between the lowest and the highest.
constexpr std::uint64_t sparseSlack = 4096;

RECT Intersect(RECT a, const RECT& b) {
  a.left = std::max(a.left, b.left);
  a.top = std::max(a.top, b.top);
  a.right = std::min(a.right, b.right);
  a.bottom = std::min(a.bottom, b.bottom);
  return a;
}

// The viewport within the target, and the scissor rectangle when its test is on.
RECT DrawingArea(const DeviceState& state, const Image& target) {
  const D3DVIEWPORT9& vp = state.viewport;
  RECT area = Intersect({LONG(vp.X), LONG(vp.Y), LONG(vp.X + vp.Width), LONG(vp.Y + vp.Height)},
                        {0, 0, LONG(target.Width()), LONG(target.Height())});
  if (state.renderStates[D3DRS_SCISSORTESTENABLE]) area = Intersect(area, state.scissorRect);
  return area;
}

bool IsDrawable(D3DFORMAT format) { return format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8; }

std::int64_t IndexAt(const void* indices, D3DFORMAT format, UINT i) {
  if (format == D3DFMT_INDEX16) {
    std::uint16_t value;
    std::memcpy(&value, static_cast<const BYTE*>(indices) + 2 * std::size_t(i), 2);
    return value;
  }
  std::uint32_t value;
  std::memcpy(&value, static_cast<const BYTE*>(indices) + 4 * std::size_t(i), 4);
  return value;
}

}  // namespace

HRESULT Device::BeginScene() {
  const HRESULT entered = Enter("BeginScene", {});
  if (FAILED(entered)) return entered;
  if (inScene) return D3DERR_INVALIDCALL;
  inScene = true;
  return S_OK;
}

HRESULT Device::EndScene() {
  const HRESULT entered = Enter("EndScene", {});
  if (FAILED(entered)) return entered;
  if (!inScene) return D3DERR_INVALIDCALL;
  inScene = false;
  return S_OK;
}

HRESULT Device::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                      DWORD stencil) {
  const HRESULT entered =
      Enter("Clear", {std::int64_t(count), Arg(rects), std::int64_t(flags), std::int64_t(color)});
  if (FAILED(entered)) return entered;
  constexpr DWORD known = D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL;
  if (flags == 0 || (flags & ~known) != 0 || (count != 0 && rects == nullptr)) {
    return D3DERR_INVALIDCALL;
  }
  const bool clearDepth = (flags & D3DCLEAR_ZBUFFER) != 0;
  const bool clearStencil = (flags & D3DCLEAR_STENCIL) != 0;
  Surface* depthSurface = AsSurfaceOf(this, depthStencil.Get());
  if ((clearDepth || clearStencil) && depthSurface == nullptr) return D3DERR_INVALIDCALL;
  DepthLayout layout;
  if (depthSurface != nullptr &&
      ((clearDepth && !(z >= 0.0f && z <= 1.0f)) ||
       (clearStencil && !(FindDepthLayout(depthSurface->Shape().format, &layout) && layout.stencil)))) {
    return D3DERR_INVALIDCALL;
  }
  const D3DVIEWPORT9& vp = state.viewport;
  RECT area = {LONG(vp.X), LONG(vp.Y), LONG(vp.X + vp.Width), LONG(vp.Y + vp.Height)};
  if (state.renderStates[D3DRS_SCISSORTESTENABLE]) area = Intersect(area, state.scissorRect);
  // Each surface is cleared over the area within its own size.
  const auto forEachRect = [&](const RECT& bounds, auto fill) {
    const RECT within = Intersect(area, bounds);
    if (count == 0) {
      fill(within);
      return;
    }
    for (DWORD i = 0; i < count; ++i) {
      fill(Intersect({rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2}, within));
    }
  };
  if (clearDepth || clearStencil) {
    Image& buffer = depthSurface->Pixels();
    const WorkingMemory memory(setup.get());
    forEachRect({0, 0, LONG(buffer.Width()), LONG(buffer.Height())}, [&](const RECT& r) {
      ClearDepthStencil(buffer, depthSurface->Known(), r, clearDepth, z, clearStencil, stencil,
                        memory);
    });
  }
  Surface* target = AsSurfaceOf(this, renderTarget.Get());
  if ((flags & D3DCLEAR_TARGET) == 0 || target == nullptr || !IsDrawable(target->Shape().format)) {
    return S_OK;
  }
  Image& image = target->Pixels();
  const std::uint32_t value = image.Format() == D3DFMT_X8R8G8B8 ? color | 0xFF000000u : color;
  forEachRect({0, 0, LONG(image.Width()), LONG(image.Height())}, [&](const RECT& r) {
    for (LONG y = r.top; y < r.bottom; ++y) {
      auto* row = reinterpret_cast<std::uint32_t*>(image.Row(UINT(y)));
      std::fill(row + r.left, row + std::max(r.left, r.right), value);
    }
  });
  image.Touch();
  return S_OK;
}

// One draw call as its checks find it: the primitives, the indices, the vertices they reach
// and how the vertices are read.
struct Device::DrawCall {
  D3DPRIMITIVETYPE type;
  UINT primitiveCount;
  const VertexSource& source;
  const void* indices;  // null for an unindexed draw
  D3DFORMAT indexFormat;
  std::uint64_t indexCount;  // indices available from `indices`
  std::uint64_t count = 0;   // indices the primitives take
  UINT texcoordSet = 0;      // the coordinate set stage 0 reads
  bool staged = false;       // beyond stage 0 alone, the stages read more of each vertex
  VertexLayout layout{};
  std::int64_t lowest = 0, highest = 0;  // the vertices reached

  // Finds the vertices the indices reach; false for an index past `maxIndex`.
  bool FindReach(DWORD maxIndex) {
    const std::int64_t base = source.base;
    lowest = base;
    highest = base + std::int64_t(count) - 1;
    if (indices == nullptr) return true;
    // In locals: the index reads could alias the fields.
    std::int64_t low = INT64_MAX, high = INT64_MIN;
    for (UINT i = 0; i < count; ++i) {
      const std::int64_t index = IndexAt(indices, indexFormat, i);
      if (index > std::int64_t(maxIndex)) return false;
      low = std::min(low, base + index);
      high = std::max(high, base + index);
    }
    lowest = low;
    highest = high;
    return true;
  }
};

// What the rasteriser reads during one draw, made for it by PrepareDraw; the raster context
// points into it, so it stays where it was made.
struct Device::DrawState {
  explicit DrawState(TestSetup* testSetup) : memory(testSetup) {}

  WorkingMemory memory;
  std::unique_ptr<TextureStages> stages;
  Sampler sampler;
  bool textured = false;
  std::optional<PixelPipeline> pipeline;
  DepthStencil depth;
  bool tested = false;  // depth or stencil
  GeometrySetup geometry;
};

HRESULT Device::Draw(D3DPRIMITIVETYPE type, UINT primitiveCount, const VertexSource& source,
                     const void* indices, D3DFORMAT indexFormat, std::uint64_t indexCount) {
  DrawCall call{.type = type,
                .primitiveCount = primitiveCount,
                .source = source,
                .indices = indices,
                .indexFormat = indexFormat,
                .indexCount = indexCount};
  const HRESULT valid = ValidateDraw(call);
  if (FAILED(valid)) return valid;
  Surface* target = AsSurfaceOf(this, renderTarget.Get());
  if (target == nullptr || !IsDrawable(target->Shape().format)) return S_OK;
  Image& image = target->Pixels();
  BeginTexelUse();
  DrawState drawState(setup.get());
  const HRESULT prepared = PrepareDraw(call, image, &drawState);
  if (FAILED(prepared)) return prepared;
  const HRESULT drawn = DispatchDraw(call, drawState);
  if (FAILED(drawn)) return drawn;
  image.Touch();
  if (drawState.tested) drawState.depth.Finish();
  return S_OK;
}

HRESULT Device::ValidateDraw(DrawCall& call) const {
  const D3DCAPS9& caps = Profile().caps;
  call.count = IndexCountOf(call.type, call.primitiveCount);
  // The drawer counts indices in 32 bits, whatever the caps allow.
  if (!inScene || call.primitiveCount == 0 || call.primitiveCount > caps.MaxPrimitiveCount ||
      call.count == 0 || call.count > UINT32_MAX) {
    return D3DERR_INVALIDCALL;
  }
  call.texcoordSet = state.stageStates[0][D3DTSS_TEXCOORDINDEX] & 0xFFFF;
  call.staged = TextureStages::Needed(state, caps);
  unsigned extraSets = 0;
  bool specular = false;
  if (call.staged) TextureStages::VertexNeeds(state, caps, &extraSets, &specular);
  const VertexFormat& format = state.vertexFormat;
  const bool described =
      format.declaration
          ? LayoutFromDeclaration(
                static_cast<VertexDeclaration*>(format.declaration.Get())->Elements(),
                call.texcoordSet, &call.layout, extraSets, specular)
          : LayoutFromFvf(format.fvf, call.texcoordSet, &call.layout, extraSets, specular);
  if (!described) return D3DERR_INVALIDCALL;
  if (call.indices != nullptr && call.indexCount < call.count) return D3DERR_INVALIDCALL;
  if (!call.FindReach(caps.MaxVertexIndex)) return D3DERR_INVALIDCALL;
  if (!CanRead(call.layout, call.source.streams, call.lowest) ||
      !CanRead(call.layout, call.source.streams, call.highest)) {
    return D3DERR_INVALIDCALL;
  }
  return S_OK;
}

HRESULT Device::PrepareDraw(const DrawCall& call, Image& image, DrawState* out) {
  const HRESULT textures = PrepareTextures(call, out);
  if (FAILED(textures)) return textures;
  out->pipeline.emplace(state, out->textured, image.Format() == D3DFMT_A8R8G8B8);
  RECT clip = DrawingArea(state, image);
  Surface* depthSurface = AsSurfaceOf(this, depthStencil.Get());
  out->tested = depthSurface != nullptr &&
                out->depth.Prepare(state, &depthSurface->Pixels(), &depthSurface->Known());
  // A depth buffer smaller than the target limits drawing to its own size.
  if (out->tested) {
    clip = Intersect(clip, {0, 0, LONG(out->depth.Width()), LONG(out->depth.Height())});
  }
  GeometrySetup& geometry = out->geometry;
  geometry.context = {.pixels = reinterpret_cast<std::uint32_t*>(image.Bits()),
                      .pitch = std::ptrdiff_t(image.RowPitch() / 4),
                      .clip = clip,
                      .pipeline = &*out->pipeline,
                      .sampler = out->textured ? &out->sampler : nullptr,
                      .cullMode = state.renderStates[D3DRS_CULLMODE],
                      .flatShading = state.renderStates[D3DRS_SHADEMODE] == D3DSHADE_FLAT,
                      .depthStencil = out->tested ? &out->depth : nullptr,
                      .fillMode = state.renderStates[D3DRS_FILLMODE],
                      .stages = out->stages.get(),
                      .memory = out->memory};
  geometry.pretransformed = call.layout.pretransformed;
  PrepareTransforms(state, &geometry);
  if (out->textured) {
    geometry.textureWidth = out->sampler.Width();
    geometry.textureHeight = out->sampler.Height();
  }
  PrepareWrapping(state, call.texcoordSet, &geometry);
  return S_OK;
}

HRESULT Device::PrepareTextures(const DrawCall& call, DrawState* out) const {
  const D3DCAPS9& caps = Profile().caps;
  const WorkingMemory& memory = out->memory;
  if (call.staged) {
    out->stages = memory.Object<TextureStages>();
    if (out->stages == nullptr || !out->stages->Prepare(state, caps, memory)) return E_OUTOFMEMORY;
    return S_OK;
  }
  const TextureBase* texture = AsTexture(state.textures[0].Get());
  if (texture == nullptr) return S_OK;
  const TexelAccess access = out->sampler.Prepare(state, *texture, 0, memory);
  // Drawing without the texture would report a picture that is not the one asked for.
  if (access == TexelAccess::OutOfMemory) return E_OUTOFMEMORY;
  out->textured = access == TexelAccess::Ready;
  return S_OK;
}

HRESULT Device::DispatchDraw(const DrawCall& call, const DrawState& prepared) {
  GeometryDrawer drawer(prepared.geometry);
  const VertexSource& source = call.source;
  // By value into the index lambdas, which drawing calls for every index.
  const std::int64_t base = source.base;
  const void* const indices = call.indices;
  const D3DFORMAT indexFormat = call.indexFormat;
  const std::uint64_t span = std::uint64_t(call.highest - call.lowest) + 1;
  if (indices == nullptr) {
    if (!drawer.Process(call.layout, source.streams, call.lowest, std::int64_t(span))) {
      return E_OUTOFMEMORY;
    }
    drawer.Draw(call.type, call.primitiveCount, [=](UINT i) { return base + std::int64_t(i); });
  } else if (span <= call.count + sparseSlack) {
    if (!drawer.Process(call.layout, source.streams, call.lowest, std::int64_t(span))) {
      return E_OUTOFMEMORY;
    }
    drawer.Draw(call.type, call.primitiveCount,
                [=](UINT i) { return base + IndexAt(indices, indexFormat, i); });
  } else {
    const HRESULT drawn = DrawSparse(drawer, call.layout, source, call.indices, call.indexFormat,
                                     UINT(call.count), call.type, call.primitiveCount);
    if (FAILED(drawn)) return drawn;
  }
  rectanglesTaken += drawer.RectanglesTaken();
  return S_OK;
}

// Only the vertices the indices name are processed, each once; each index is then given the
// slot of its vertex.
HRESULT Device::DrawSparse(GeometryDrawer& drawer, const VertexLayout& layout,
                           const VertexSource& source, const void* indices, D3DFORMAT indexFormat,
                           UINT count, D3DPRIMITIVETYPE type, UINT primitiveCount) {
  const WorkingMemory memory(setup.get());
  const std::unique_ptr<std::int64_t[]> named = memory.Array<std::int64_t>(count);
  const std::unique_ptr<std::int64_t[]> unique = memory.Array<std::int64_t>(count);
  const std::unique_ptr<UINT[]> slots = memory.Array<UINT>(count);
  if (!named || !unique || !slots) return E_OUTOFMEMORY;
  for (UINT i = 0; i < count; ++i) named[i] = source.base + IndexAt(indices, indexFormat, i);
  std::copy(named.get(), named.get() + count, unique.get());
  std::sort(unique.get(), unique.get() + count);
  std::int64_t* const distinctEnd = std::unique(unique.get(), unique.get() + count);
  for (UINT i = 0; i < count; ++i) {
    slots[i] = UINT(std::lower_bound(unique.get(), distinctEnd, named[i]) - unique.get());
  }
  if (!drawer.ProcessList(layout, source.streams, unique.get(),
                          std::size_t(distinctEnd - unique.get()))) {
    return E_OUTOFMEMORY;
  }
  drawer.Draw(type, primitiveCount, [&](UINT i) { return std::int64_t(slots[i]); });
  return S_OK;
}

namespace {

// The bound streams as the rasteriser reads them.
void ViewStreams(const DeviceState& state, StreamView* views) {
  for (UINT s = 0; s < streamCount; ++s) {
    const StreamBinding& binding = state.streams[s];
    const auto* buffer = static_cast<const VertexBuffer*>(binding.buffer.Get());
    if (buffer == nullptr || binding.offset > buffer->Length()) continue;
    views[s] = {buffer->Data() + binding.offset, buffer->Length() - binding.offset, binding.stride};
  }
}

}  // namespace

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) {
  const HRESULT entered = Enter("DrawPrimitive", {std::int64_t(type), std::int64_t(startVertex),
                                                  std::int64_t(primitiveCount)});
  if (FAILED(entered)) return entered;
  VertexSource source;
  ViewStreams(state, source.streams);
  source.base = startVertex;
  return Draw(type, primitiveCount, source, nullptr, D3DFMT_UNKNOWN, 0);
}

HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertexIndex,
                                     UINT minVertexIndex, UINT numVertices, UINT startIndex,
                                     UINT primitiveCount) {
  const HRESULT entered = Enter(
      "DrawIndexedPrimitive",
      {std::int64_t(type), std::int64_t(baseVertexIndex), std::int64_t(minVertexIndex),
       std::int64_t(numVertices), std::int64_t(startIndex), std::int64_t(primitiveCount)});
  if (FAILED(entered)) return entered;
  const auto* indices = static_cast<const IndexBuffer*>(state.indices.Get());
  if (indices == nullptr || numVertices == 0) return D3DERR_INVALIDCALL;
  const UINT size = indices->Format() == D3DFMT_INDEX16 ? 2 : 4;
  const UINT available = indices->Length() / size;
  if (startIndex > available) return D3DERR_INVALIDCALL;
  VertexSource source;
  ViewStreams(state, source.streams);
  source.base = baseVertexIndex;
  return Draw(type, primitiveCount, source, indices->Data() + std::size_t(startIndex) * size,
              indices->Format(), available - startIndex);
}

HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount,
                                const void* vertexData, UINT vertexStride) {
  const HRESULT entered = Enter("DrawPrimitiveUP", {std::int64_t(type), std::int64_t(primitiveCount),
                                                    Arg(vertexData), std::int64_t(vertexStride)});
  if (FAILED(entered)) return entered;
  const std::uint64_t count = IndexCountOf(type, primitiveCount);
  if (vertexData == nullptr || vertexStride == 0 || count > UINT32_MAX) return D3DERR_INVALIDCALL;
  VertexSource source;
  source.streams[0] = {static_cast<const BYTE*>(vertexData), std::size_t(count * vertexStride),
                       vertexStride};
  const HRESULT drawn = Draw(type, primitiveCount, source, nullptr, D3DFMT_UNKNOWN, 0);
  // Drawing from user memory leaves stream 0 unset, as in Direct3D 9.
  state.streams[0].buffer.Reset();
  state.streams[0].offset = 0;
  state.streams[0].stride = 0;
  return drawn;
}

HRESULT Device::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minVertexIndex,
                                       UINT numVertices, UINT primitiveCount,
                                       const void* indexData, D3DFORMAT indexFormat,
                                       const void* vertexData, UINT vertexStride) {
  const HRESULT entered =
      Enter("DrawIndexedPrimitiveUP",
            {std::int64_t(type), std::int64_t(minVertexIndex), std::int64_t(numVertices),
             std::int64_t(primitiveCount), Arg(indexData), std::int64_t(indexFormat),
             Arg(vertexData), std::int64_t(vertexStride)});
  if (FAILED(entered)) return entered;
  if (indexData == nullptr || vertexData == nullptr || vertexStride == 0 || numVertices == 0 ||
      (indexFormat != D3DFMT_INDEX16 && indexFormat != D3DFMT_INDEX32)) {
    return D3DERR_INVALIDCALL;
  }
  VertexSource source;
  source.streams[0] = {static_cast<const BYTE*>(vertexData),
                       std::size_t((std::uint64_t(minVertexIndex) + numVertices) * vertexStride),
                       vertexStride};
  const HRESULT drawn = Draw(type, primitiveCount, source, indexData, indexFormat,
                             IndexCountOf(type, primitiveCount));
  state.streams[0].buffer.Reset();
  state.streams[0].offset = 0;
  state.streams[0].stride = 0;
  state.indices.Reset();
  return drawn;
}

}  // namespace d3d9
