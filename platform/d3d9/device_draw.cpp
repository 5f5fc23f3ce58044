// Scenes, clearing and the draw calls.
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "platform/d3d9/buffers.h"
#include "platform/d3d9/device.h"
#include "platform/d3d9/raster/depth_stencil.h"
#include "platform/d3d9/raster/geometry.h"
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

HRESULT Device::Draw(D3DPRIMITIVETYPE type, UINT primitiveCount, const VertexSource& source,
                     const void* indices, D3DFORMAT indexFormat, std::uint64_t indexCount) {
  const D3DCAPS9& caps = Profile().caps;
  const std::uint64_t count = IndexCountOf(type, primitiveCount);
  // The drawer counts indices in 32 bits, whatever the caps allow.
  if (!inScene || primitiveCount == 0 || primitiveCount > caps.MaxPrimitiveCount || count == 0 ||
      count > UINT32_MAX) {
    return D3DERR_INVALIDCALL;
  }
  const UINT texcoordSet = state.stageStates[0][D3DTSS_TEXCOORDINDEX] & 0xFFFF;
  // Beyond stage 0 alone, the stages read more of each vertex.
  const bool staged = TextureStages::Needed(state, caps);
  unsigned extraSets = 0;
  bool specular = false;
  if (staged) TextureStages::VertexNeeds(state, caps, &extraSets, &specular);
  VertexLayout layout;
  const VertexFormat& format = state.vertexFormat;
  const bool described =
      format.declaration
          ? LayoutFromDeclaration(static_cast<VertexDeclaration*>(format.declaration.Get())->Elements(),
                                  texcoordSet, &layout, extraSets, specular)
          : LayoutFromFvf(format.fvf, texcoordSet, &layout, extraSets, specular);
  if (!described) return D3DERR_INVALIDCALL;
  if (indices != nullptr && indexCount < count) return D3DERR_INVALIDCALL;
  // The vertices the draw reaches, from its indices.
  std::int64_t lowest = source.base;
  std::int64_t highest = source.base + std::int64_t(count) - 1;
  if (indices != nullptr) {
    lowest = INT64_MAX;
    highest = INT64_MIN;
    for (UINT i = 0; i < count; ++i) {
      const std::int64_t index = IndexAt(indices, indexFormat, i);
      if (index > std::int64_t(caps.MaxVertexIndex)) return D3DERR_INVALIDCALL;
      lowest = std::min(lowest, source.base + index);
      highest = std::max(highest, source.base + index);
    }
  }
  if (!CanRead(layout, source.streams, lowest) || !CanRead(layout, source.streams, highest)) {
    return D3DERR_INVALIDCALL;
  }
  Surface* target = AsSurfaceOf(this, renderTarget.Get());
  if (target == nullptr || !IsDrawable(target->Shape().format)) return S_OK;
  Image& image = target->Pixels();
  const WorkingMemory memory(setup.get());
  std::unique_ptr<TextureStages> stages;
  if (staged) {
    stages = memory.Object<TextureStages>();
    if (stages == nullptr || !stages->Prepare(state, caps, memory)) return E_OUTOFMEMORY;
  }

  Sampler sampler;
  const TextureBase* texture = AsTexture(state.textures[0].Get());
  bool textured = false;
  if (!staged && texture != nullptr) {
    const TexelAccess access = sampler.Prepare(state, *texture, 0, memory);
    // Drawing without the texture would report a picture that is not the one asked for.
    if (access == TexelAccess::OutOfMemory) return E_OUTOFMEMORY;
    textured = access == TexelAccess::Ready;
  }
  const PixelPipeline pipeline(state, textured, image.Format() == D3DFMT_A8R8G8B8);
  GeometrySetup setup;
  const D3DVIEWPORT9& vp = state.viewport;
  RECT clip = Intersect({LONG(vp.X), LONG(vp.Y), LONG(vp.X + vp.Width), LONG(vp.Y + vp.Height)},
                        {0, 0, LONG(image.Width()), LONG(image.Height())});
  if (state.renderStates[D3DRS_SCISSORTESTENABLE]) clip = Intersect(clip, state.scissorRect);
  DepthStencil depth;
  Surface* depthSurface = AsSurfaceOf(this, depthStencil.Get());
  const bool tested = depthSurface != nullptr &&
                      depth.Prepare(state, &depthSurface->Pixels(), &depthSurface->Known());
  // A depth buffer smaller than the target limits drawing to its own size.
  if (tested) clip = Intersect(clip, {0, 0, LONG(depth.Width()), LONG(depth.Height())});
  setup.context = {reinterpret_cast<std::uint32_t*>(image.Bits()),
                   std::ptrdiff_t(image.RowPitch() / 4),
                   clip,
                   &pipeline,
                   textured ? &sampler : nullptr,
                   state.renderStates[D3DRS_CULLMODE],
                   state.renderStates[D3DRS_SHADEMODE] == D3DSHADE_FLAT,
                   tested ? &depth : nullptr,
                   state.renderStates[D3DRS_FILLMODE],
                   stages.get(),
                   memory};
  setup.pretransformed = layout.pretransformed;
  PrepareTransforms(state, &setup);
  if (textured) {
    setup.textureWidth = sampler.Width();
    setup.textureHeight = sampler.Height();
  }
  if (staged) setup.stages = stages.get();
  PrepareWrapping(state, texcoordSet, &setup);
  setup.memory = memory;
  GeometryDrawer drawer(setup);
  const std::uint64_t span = std::uint64_t(highest - lowest) + 1;
  if (indices == nullptr) {
    if (!drawer.Process(layout, source.streams, lowest, std::int64_t(span))) return E_OUTOFMEMORY;
    drawer.Draw(type, primitiveCount, [&](UINT i) { return source.base + std::int64_t(i); });
  } else if (span <= count + sparseSlack) {
    if (!drawer.Process(layout, source.streams, lowest, std::int64_t(span))) return E_OUTOFMEMORY;
    drawer.Draw(type, primitiveCount,
                [&](UINT i) { return source.base + IndexAt(indices, indexFormat, i); });
  } else {
    const HRESULT drawn = DrawSparse(drawer, layout, source, indices, indexFormat, UINT(count),
                                     type, primitiveCount);
    if (FAILED(drawn)) return drawn;
  }
  image.Touch();
  if (tested) depth.Finish();
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
