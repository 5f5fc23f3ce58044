// SpriteBatcher: the object behind ID3DXSprite.
//
// Glossary
//   sprite   one textured rectangle: four finished SpriteVertex, drawn as two triangles.
//   queue    the sprites drawn since Begin or the last Flush, kept in system memory in four
//            parallel arrays that grow by doubling from 64 entries and never shrink.
//   run      consecutive sprites (in drawing order) of one texture that fit in the ring; one
//            SetTexture (when the texture changes) and one DrawIndexedPrimitive each.
//   ring     the dynamic vertex buffer of 16,384 vertices. Runs are appended with no-overwrite
//            locks; after a run reaches the end, the next lock discards and starts again at 0.
//            The position runs on across batches and frames.
//   pair     two state blocks recorded from the same calls: the sprite block sets the sprite's
//            states, the saved block captures the caller's before they are changed. There are
//            three pairs: general states, blending, and transforms.
//   deferred transform
//            queued positions await the sprite transform until SetTransform replaces it or
//            Flush draws them, and are then transformed in one batch.
//
// Ownership: the object holds counted references to its device, the device's IDirect3D9, its
// vertex declaration, its two buffers, the six state blocks and the index buffer the caller had
// bound at Begin. It holds none to the textures of the queue. The buffers and state blocks are
// made at the first Begin after creation or device loss and released on device loss.
#pragma once

#include "toolkit/common/toolkit_object.h"
#include "toolkit/sprite/d3dx_sprite.h"
#include "toolkit/sprite/open_batches.h"

// The vertex of every sprite: position, diffuse colour 0xAARRGGBB, texture coordinate.
struct SpriteVertex {
  float x, y, z;
  D3DCOLOR colour;
  float u, v;
};

// Top-left, bottom-left, top-right, bottom-right (in screen space, y growing downward).
struct QueuedSprite {
  SpriteVertex vertices[4];
};

static_assert(sizeof(SpriteVertex) == 24 && sizeof(QueuedSprite) == 96);

// Vertices in the ring (0x60000 bytes).
constexpr UINT ringVertexCount = 0x4000;
// Quads in the index buffer, and so the most sprites of one draw call.
constexpr UINT quadsPerDraw = 4096;
// 4,096 quads of six 16-bit indices.
constexpr UINT indexBufferBytes = quadsPerDraw * 6 * sizeof(WORD);
// Entries of the queue's first allocation.
constexpr UINT initialQueueCapacity = 64;

template <>
struct win32::InterfaceChain<ID3DXSprite> : ToolkitQueryRules {
  static constexpr std::array ids{&IID_IUnknown, &IID_ID3DXSprite};
};

class SpriteBatcher final : public ToolkitObject<ID3DXSprite> {
 public:
  // D3DXCreateSprite.
  static HRESULT Create(IDirect3DDevice9* device, ID3DXSprite** out);

  HRESULT GetDevice(IDirect3DDevice9** out) override;
  HRESULT GetTransform(D3DXMATRIX* out) override;
  HRESULT SetTransform(const D3DXMATRIX* m) override;
  HRESULT SetWorldViewRH(const D3DXMATRIX* world, const D3DXMATRIX* view) override;
  HRESULT SetWorldViewLH(const D3DXMATRIX* world, const D3DXMATRIX* view) override;
  HRESULT Begin(DWORD flags) override;
  HRESULT Draw(IDirect3DTexture9* texture, const RECT* source, const D3DXVECTOR3* center,
               const D3DXVECTOR3* position, D3DCOLOR colour) override;
  HRESULT Flush() override;
  HRESULT End() override;
  HRESULT OnLostDevice() override;
  HRESULT OnResetDevice() override;

 private:
  // The three matrices share one heap block, aligned to 16 bytes.
  struct Matrices {
    D3DXMATRIX transform;        // the sprite transform
    D3DXMATRIX worldView;        // world x view of SetWorldViewRH/LH
    D3DXMATRIX billboardMatrix;  // transform x worldView, worked out lazily by Draw
  };
  // What one state-block pair issues; the saved pass may add calls.
  using StateCalls = void (SpriteBatcher::*)(bool savedPass);

  SpriteBatcher() = default;
  ~SpriteBatcher();
  SpriteBatcher(const SpriteBatcher&) = delete;
  SpriteBatcher& operator=(const SpriteBatcher&) = delete;

  // --- creation (sprite_object.cpp) ---
  HRESULT Initialise(IDirect3DDevice9* device);
  void ReadCapabilities();
  HRESULT SetWorldView(const D3DXMATRIX* world, const D3DXMATRIX* view, float directionSign);
  // The buffers, state blocks and saved index buffer: what a lost device takes.
  void ReleaseDeviceResources();

  // --- Begin and End (sprite_begin_end.cpp) ---
  HRESULT MakeDeviceBuffers();
  HRESULT WriteQuadIndices();
  HRESULT RecordStatePairs();
  HRESULT RecordPair(IDirect3DStateBlock9** saved, IDirect3DStateBlock9** applied,
                     StateCalls calls);
  HRESULT RecordBlock(StateCalls calls, bool savedPass, IDirect3DStateBlock9** block);
  void GeneralStateCalls(bool savedPass);
  void BlendStateCalls(bool savedPass);
  void TransformStateCalls(bool savedPass);
  void SaveAndSetStates();
  void RestoreStates();
  void SetScreenProjection();

  // --- the queue (sprite_queue.cpp) ---
  HRESULT GrowQueue();
  HRESULT ChangeTexture(IDirect3DTexture9* texture);
  void UpdateBillboard();
  D3DXVECTOR3 CornerPosition(const D3DXVECTOR3* center, const D3DXVECTOR3* position, float* w,
                             float* h);
  void EmptyQueue();
  void FreeQueue();

  // --- Flush (sprite_flush.cpp) ---
  void ApplyDeferredTransform();
  const UINT* DrawingOrder();
  bool ComputeDepthKeys();
  void SortQueue(bool byTexture, bool ascendingKeys);
  HRESULT DrawRuns(const UINT* order);

  IDirect3D9* d3d = nullptr;
  IDirect3DDevice9* device = nullptr;
  IDirect3DVertexDeclaration9* vertexDecl = nullptr;
  IDirect3DIndexBuffer9* indexBuffer = nullptr;
  IDirect3DVertexBuffer9* vertexBuffer = nullptr;
  UINT nextIndex = 0;   // first free index position; 6 per sprite drawn
  UINT nextVertex = 0;  // first free vertex of the ring; 4 per sprite drawn
  IDirect3DStateBlock9* savedStates = nullptr;
  IDirect3DStateBlock9* spriteStates = nullptr;
  IDirect3DStateBlock9* savedBlendStates = nullptr;
  IDirect3DStateBlock9* blendStates = nullptr;
  IDirect3DStateBlock9* savedTransformStates = nullptr;
  IDirect3DStateBlock9* transformStates = nullptr;
  IDirect3DIndexBuffer9* savedIndices = nullptr;  // the caller's index buffer at Begin
  D3DDEVTYPE deviceType = D3DDEVTYPE_HAL;
  UINT adapterOrdinal = 0;
  D3DPOOL bufferPool = D3DPOOL_DEFAULT;
  D3DTEXTUREFILTERTYPE magFilter = D3DTEXF_LINEAR;
  D3DTEXTUREFILTERTYPE minFilter = D3DTEXF_LINEAR;
  D3DTEXTUREFILTERTYPE mipFilter = D3DTEXF_POINT;
  DWORD maxAnisotropy = 0;
  BOOL alphaTestUsable = FALSE;
  BOOL blendUsable = FALSE;  // the render target's format can blend
  BOOL transformIsIdentity = TRUE;
  BOOL billboardValid = FALSE;  // billboardMatrix and billboardScale are up to date
  Matrices* matrices = nullptr;
  D3DXVECTOR3 viewDirection{0.0f, 0.0f, -1.0f};  // unit vector along which depth is measured
  D3DXVECTOR3 billboardScale{0.0f, 0.0f, 0.0f};  // signed lengths of billboardMatrix's rows
  BOOL inBegin = FALSE;
  DWORD flags = 0;  // of the current or last Begin

  // The queue: four parallel arrays of spriteCapacity entries.
  UINT* sortOrder = nullptr;                     // drawing order after a sort; scratch
  IDirect3DTexture9** spriteTextures = nullptr;  // no references held
  float* sortKeys = nullptr;                     // depth keys; scratch of Flush
  QueuedSprite* spriteQuads = nullptr;
  UINT spriteCount = 0;
  UINT spriteCapacity = 0;
  UINT firstUntransformed = 0;  // first sprite whose positions still await the transform
  UINT textureChanges = 0;      // texture changes between consecutive Draws of this queue
  IDirect3DTexture9* currentTexture = nullptr;  // of the last Draw; no reference held
  sprite_batches::OpenMark openMark;            // open while the queue holds sprites
  UINT currentTextureWidth = 0;                 // level 0
  UINT currentTextureHeight = 0;
  float invTextureWidth = 0.0f;
  float invTextureHeight = 0.0f;
};
