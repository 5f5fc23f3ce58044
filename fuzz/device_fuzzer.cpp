// Fuzz target: a program of device calls on a fresh 32 x 32 software device. Each step is
// one opcode byte and its operands: vertex formats (FVF) and declarations, vertex and index
// buffers of any contents, render, texture stage and sampler states, transforms, viewport,
// scissor, textures of any format, scenes, Clear and the four draw calls with any primitive
// type and count.
//
// Memory handed to DrawPrimitiveUP and DrawIndexedPrimitiveUP is as large as the call says
// (the caller's side of the contract), except for counts above the device's
// MaxPrimitiveCount, which must be refused before anything is read. At the end every object is
// released and the device must go with its last reference.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/fuzz_device.h"
#include "fuzz/fuzz_input.h"

namespace {

constexpr int kMaxSteps = 48;
constexpr UINT kTargetSize = 32;
// The most user memory a draw call gets; larger calls are cut down to fit.
constexpr std::uint64_t kMaxUserBytes = 1 << 20;

// Counts at which index arithmetic goes wrong, besides the usual small ones.
UINT ReadPrimitiveCount(FuzzInput& in) {
  static constexpr UINT kEdges[] = {0,          1,          0xFFFFF,    0x100000,  0x55555555,
                                    0x55555556, 0x7FFFFFFF, 0x80000000, 0xAAAAAAAB, 0xFFFFFFFE,
                                    0xFFFFFFFF, 0x3FFFFFFF, 0x40000000};
  const std::uint8_t selector = in.Byte();
  if (selector < 0xC0) return in.Byte();
  if (selector < 0xE0) return in.OneOf(kEdges);
  return in.Read<std::uint32_t>();
}

// Types 1 to 6 are the published ones; 0 and 7 must be refused.
D3DPRIMITIVETYPE ReadPrimitiveType(FuzzInput& in) {
  return static_cast<D3DPRIMITIVETYPE>(in.Below(8));
}

// Vertices (or indices) a draw of `count` primitives reads, in 64 bits.
std::uint64_t VerticesOf(D3DPRIMITIVETYPE type, UINT count) {
  switch (type) {
    case D3DPT_POINTLIST: return count;
    case D3DPT_LINELIST: return 2ull * count;
    case D3DPT_LINESTRIP: return count + 1ull;
    case D3DPT_TRIANGLELIST: return 3ull * count;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN: return count + 2ull;
    default: return 0;
  }
}

// Mostly small values, sometimes any: offsets, strides, counts.
UINT ReadSize(FuzzInput& in, UINT usual) {
  return in.Byte() < 0xF0 ? in.Below(usual) : in.Read<std::uint32_t>();
}

// Buffer lengths: mostly small, sometimes up to 16 MiB. The device makes a buffer of any
// length that memory holds, so lengths of gigabytes would test the machine, not the device.
UINT ReadLength(FuzzInput& in) {
  return in.Byte() < 0xF0 ? in.Below(0x4000) : in.Below(1u << 24);
}

class Program {
 public:
  Program(FuzzInput& input, IDirect3DDevice9* target) : in(input), device(target) {}

  void Step() {
    switch (in.Below(19)) {
      case 0: SetRenderState(); break;
      case 1: SetTextureStageState(); break;
      case 2: SetSamplerState(); break;
      case 3: device->SetFVF(ReadFvf()); break;
      case 4: SetDeclaration(); break;
      case 5: SetVertexBuffer(); break;
      case 6: SetIndexBuffer(); break;
      case 7: SetTexture(); break;
      case 8: DrawPrimitive(); break;
      case 9: DrawIndexedPrimitive(); break;
      case 10: DrawPrimitiveUP(); break;
      case 11: DrawIndexedPrimitiveUP(); break;
      case 12: Clear(); break;
      case 13: SetTransform(); break;
      case 14: SetViewport(); break;
      case 15: {
        const RECT rect = {in.EdgyInt32(), in.EdgyInt32(), in.EdgyInt32(), in.EdgyInt32()};
        device->SetScissorRect(&rect);
        break;
      }
      case 16:
        if (in.Bool()) {
          device->BeginScene();
        } else {
          device->EndScene();
        }
        break;
      case 17: SetDepthStencil(); break;
      default: device->SetStreamSource(in.Below(17), nullptr, 0, 0); break;
    }
  }

 private:
  // State values: small numbers (most enumerations), or any 32 bits (colours, floats, masks).
  DWORD ReadValue() { return in.Byte() < 0x80 ? in.Below(16) : in.Read<std::uint32_t>(); }

  void SetRenderState() {
    const auto state = static_cast<D3DRENDERSTATETYPE>(in.Byte());
    device->SetRenderState(state, ReadValue());
  }
  void SetTextureStageState() {
    const DWORD stage = in.Below(9);
    const auto type = static_cast<D3DTEXTURESTAGESTATETYPE>(in.Below(34));
    device->SetTextureStageState(stage, type, ReadValue());
  }
  void SetSamplerState() {
    const DWORD sampler = in.Below(17);
    const auto type = static_cast<D3DSAMPLERSTATETYPE>(in.Below(15));
    device->SetSamplerState(sampler, type, ReadValue());
  }

  // Usually one of the common formats, otherwise any bits.
  DWORD ReadFvf() {
    static constexpr DWORD kCommon[] = {
        D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1,
        D3DFVF_XYZRHW | D3DFVF_DIFFUSE,
        D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1,
        D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX2,
        D3DFVF_XYZB4 | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_SPECULAR | D3DFVF_TEX8,
        D3DFVF_XYZW | D3DFVF_PSIZE | D3DFVF_TEX3 | (D3DFVF_TEXTUREFORMAT1 << 16)};
    return in.Bool() ? in.OneOf(kCommon) : in.Read<std::uint32_t>();
  }

  void SetDeclaration() {
    std::vector<D3DVERTEXELEMENT9> elements(in.Below(10));
    for (D3DVERTEXELEMENT9& element : elements) {
      element.Stream = static_cast<WORD>(in.Below(18));
      element.Offset = static_cast<WORD>(in.Bool() ? 4 * in.Below(16) : in.Read<std::uint16_t>());
      element.Type = static_cast<BYTE>(in.Below(18));
      element.Method = static_cast<BYTE>(in.Below(8));
      element.Usage = static_cast<BYTE>(in.Below(15));
      element.UsageIndex = static_cast<BYTE>(in.Below(4));
    }
    elements.push_back(D3DDECL_END);
    IDirect3DVertexDeclaration9* declaration = nullptr;
    if (FAILED(device->CreateVertexDeclaration(elements.data(), &declaration))) return;
    device->SetVertexDeclaration(declaration);
    declaration->Release();
  }

  void SetVertexBuffer() {
    const UINT length = ReadLength(in);
    const DWORD usage = in.Bool() ? D3DUSAGE_WRITEONLY : in.Read<std::uint32_t>();
    const DWORD fvf = in.Bool() ? 0 : ReadFvf();
    const auto pool = static_cast<D3DPOOL>(in.Below(5));
    IDirect3DVertexBuffer9* buffer = nullptr;
    if (FAILED(device->CreateVertexBuffer(length, usage, fvf, pool, &buffer, nullptr))) return;
    void* bytes = nullptr;
    if (SUCCEEDED(buffer->Lock(0, 0, &bytes, 0))) {
      in.Fill(bytes, length);
      buffer->Unlock();
    }
    const UINT stream = in.Below(17);
    const UINT offset = ReadSize(in, 64);
    device->SetStreamSource(stream, buffer, offset, ReadSize(in, 64));
    buffer->Release();
  }

  void SetIndexBuffer() {
    static constexpr D3DFORMAT kFormats[] = {D3DFMT_INDEX16, D3DFMT_INDEX32, D3DFMT_INDEX16,
                                             D3DFMT_INDEX32, D3DFMT_A8R8G8B8, D3DFMT_UNKNOWN};
    const UINT length = ReadLength(in);
    const D3DFORMAT format = in.OneOf(kFormats);
    IDirect3DIndexBuffer9* buffer = nullptr;
    if (FAILED(device->CreateIndexBuffer(length, D3DUSAGE_WRITEONLY, format, D3DPOOL_MANAGED,
                                         &buffer, nullptr))) {
      return;
    }
    void* bytes = nullptr;
    if (SUCCEEDED(buffer->Lock(0, 0, &bytes, 0))) {
      in.Fill(bytes, length);
      buffer->Unlock();
    }
    device->SetIndices(in.Below(8) == 0 ? nullptr : buffer);
    buffer->Release();
  }

  void SetTexture() {
    const DWORD stage = in.Below(9);
    IDirect3DBaseTexture9* texture = nullptr;
    switch (in.Below(4)) {
      case 0: break;
      case 1: texture = fuzz::ReadCubeTexture(in, device); break;
      case 2: texture = fuzz::ReadVolumeTexture(in, device); break;
      default: texture = fuzz::ReadTexture(in, device); break;
    }
    device->SetTexture(stage, texture);
    if (texture != nullptr) texture->Release();
  }

  // A depth-stencil surface of any offered format (or one the device refuses), often smaller
  // or larger than the target, or none.
  void SetDepthStencil() {
    static constexpr D3DFORMAT kFormats[] = {D3DFMT_D16,  D3DFMT_D24X8,        D3DFMT_D24S8,
                                             D3DFMT_D32,  D3DFMT_D16_LOCKABLE, D3DFMT_D32F_LOCKABLE,
                                             D3DFMT_D15S1, D3DFMT_A8R8G8B8};
    IDirect3DSurface9* surface = nullptr;
    if (in.Below(4) != 0) {
      const D3DFORMAT format = in.OneOf(kFormats);
      const UINT width = 1 + in.Below(800);
      const UINT height = 1 + in.Below(600);
      if (FAILED(device->CreateDepthStencilSurface(width, height, format, D3DMULTISAMPLE_NONE, 0,
                                                   in.Bool(), &surface, nullptr))) {
        surface = nullptr;
      }
    }
    device->SetDepthStencilSurface(surface);
    if (surface != nullptr) surface->Release();
  }

  void DrawPrimitive() {
    const D3DPRIMITIVETYPE type = ReadPrimitiveType(in);
    const UINT start = ReadSize(in, 64);
    device->DrawPrimitive(type, start, ReadPrimitiveCount(in));
  }

  void DrawIndexedPrimitive() {
    const D3DPRIMITIVETYPE type = ReadPrimitiveType(in);
    const INT base = in.EdgyInt32();
    const UINT minIndex = ReadSize(in, 64);
    const UINT vertices = ReadSize(in, 256);
    const UINT startIndex = ReadSize(in, 256);
    device->DrawIndexedPrimitive(type, base, minIndex, vertices, startIndex,
                                 ReadPrimitiveCount(in));
  }

  // The primitive count of a call from user memory, with the vertices it reaches; a count the
  // device must refuse unread keeps its size, any other one is cut to fit kMaxUserBytes.
  UINT UserCount(D3DPRIMITIVETYPE type, UINT count, std::uint64_t vertexBytes,
                 std::uint64_t* reached) {
    D3DCAPS9 caps{};
    device->GetDeviceCaps(&caps);
    *reached = 0;
    if (count > caps.MaxPrimitiveCount) return count;
    while (count > 0 && VerticesOf(type, count) * vertexBytes > kMaxUserBytes) count /= 2;
    *reached = VerticesOf(type, count);
    return count;
  }

  void DrawPrimitiveUP() {
    const D3DPRIMITIVETYPE type = ReadPrimitiveType(in);
    const UINT stride = in.Below(600);
    std::uint64_t vertices = 0;
    const UINT count = UserCount(type, ReadPrimitiveCount(in), std::max(stride, 1u), &vertices);
    std::vector<BYTE> data(std::max<std::uint64_t>(vertices * stride, 1));
    in.Fill(data.data(), data.size());
    device->DrawPrimitiveUP(type, count, data.data(), stride);
  }

  void DrawIndexedPrimitiveUP() {
    static constexpr D3DFORMAT kFormats[] = {D3DFMT_INDEX16, D3DFMT_INDEX32, D3DFMT_UNKNOWN};
    const D3DPRIMITIVETYPE type = ReadPrimitiveType(in);
    const D3DFORMAT format = in.OneOf(kFormats);
    const UINT minIndex = in.Below(64);
    const UINT vertices = in.Below(512);
    const UINT stride = in.Below(600);
    std::uint64_t indices = 0;
    const UINT count = UserCount(type, ReadPrimitiveCount(in), 4, &indices);
    std::vector<BYTE> indexData(std::max<std::uint64_t>(indices * 4, 4));
    in.Fill(indexData.data(), indexData.size());
    std::vector<BYTE> vertexData(std::max<std::uint64_t>((minIndex + vertices) * stride, 1));
    in.Fill(vertexData.data(), vertexData.size());
    device->DrawIndexedPrimitiveUP(type, minIndex, vertices, count, indexData.data(), format,
                                   vertexData.data(), stride);
  }

  void Clear() {
    std::vector<D3DRECT> rects(in.Below(5));
    for (D3DRECT& rect : rects) rect = {in.EdgyInt32(), in.EdgyInt32(), in.EdgyInt32(), in.EdgyInt32()};
    // Now and then a count without rectangles, which must be refused.
    const bool withoutRects = !rects.empty() && in.Below(8) == 0;
    const DWORD flags = in.Bool() ? 1 + in.Below(7) : in.Read<std::uint32_t>();
    const D3DCOLOR colour = in.Read<std::uint32_t>();
    const float z = in.Float();
    const DWORD stencil = in.Read<std::uint32_t>();
    device->Clear(static_cast<DWORD>(rects.size()), withoutRects ? nullptr : rects.data(), flags,
                  colour, z, stencil);
  }

  void SetTransform() {
    static constexpr D3DTRANSFORMSTATETYPE kStates[] = {
        D3DTS_WORLD, D3DTS_VIEW, D3DTS_PROJECTION, D3DTS_TEXTURE0,
        static_cast<D3DTRANSFORMSTATETYPE>(D3DTS_TEXTURE0 + 7),
        static_cast<D3DTRANSFORMSTATETYPE>(0), static_cast<D3DTRANSFORMSTATETYPE>(0x7FFFFFFF)};
    const D3DTRANSFORMSTATETYPE state = in.OneOf(kStates);
    const D3DMATRIX matrix = fuzz::ReadMatrix(in);
    device->SetTransform(state, &matrix);
  }

  void SetViewport() {
    D3DVIEWPORT9 viewport{};
    viewport.X = static_cast<DWORD>(in.EdgyInt32());
    viewport.Y = static_cast<DWORD>(in.EdgyInt32());
    viewport.Width = static_cast<DWORD>(in.EdgyInt32());
    viewport.Height = static_cast<DWORD>(in.EdgyInt32());
    viewport.MinZ = in.Float();
    viewport.MaxZ = in.Float();
    device->SetViewport(&viewport);
  }

  FuzzInput& in;
  IDirect3DDevice9* device;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::FuzzDevice fuzzDevice(kTargetSize, kTargetSize);
  if (fuzzDevice.device == nullptr) return 0;
  FuzzInput in(data, size);
  fuzzDevice.device->BeginScene();
  Program program(in, fuzzDevice.device);
  for (int step = 0; step < kMaxSteps && !in.Empty(); ++step) program.Step();
  return 0;
}
