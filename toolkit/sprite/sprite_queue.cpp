// Draw: turning one sprite into four finished vertices at the end of the queue.
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "toolkit/common/allocation.h"
#include "toolkit/sprite/sprite_batcher.h"

namespace {

// Replaces *array by a block of `capacity` entries holding its first `keep` entries.
template <class T>
bool ReplaceArray(T** array, UINT capacity, UINT keep) {
  T* fresh = static_cast<T*>(AllocateBytes(std::size_t(capacity) * sizeof(T)));
  if (fresh == nullptr) return false;
  if (keep > 0) std::memcpy(fresh, *array, std::size_t(keep) * sizeof(T));
  FreeBytes(*array);
  *array = fresh;
  return true;
}

float RowLength(const D3DXMATRIX& m, int row) {
  return std::sqrt(m.m[row][0] * m.m[row][0] + m.m[row][1] * m.m[row][1] +
                   m.m[row][2] * m.m[row][2]);
}

}  // namespace

HRESULT SpriteBatcher::Draw(IDirect3DTexture9* texture, const RECT* source,
                            const D3DXVECTOR3* center, const D3DXVECTOR3* position,
                            D3DCOLOR colour) {
  if (!inBegin || texture == nullptr) return D3DERR_INVALIDCALL;
  if (spriteCount == spriteCapacity) {
    const HRESULT grown = GrowQueue();
    if (FAILED(grown)) return grown;
  }
  if (texture != currentTexture) {
    const HRESULT changed = ChangeTexture(texture);
    if (FAILED(changed)) return changed;
  }
  const RECT r = source != nullptr ? *source
                                   : RECT{0, 0, static_cast<LONG>(currentTextureWidth),
                                          static_cast<LONG>(currentTextureHeight)};
  // Widened first, so that no rectangle overflows; right < left mirrors the sprite.
  float w = static_cast<float>(std::int64_t{r.right} - r.left);
  float h = static_cast<float>(std::int64_t{r.bottom} - r.top);
  if (spriteCount == 0) openMark.Open();
  spriteTextures[spriteCount] = texture;
  const D3DXVECTOR3 p = CornerPosition(center, position, &w, &h);
  const float uLeft = static_cast<float>(r.left) * invTextureWidth;
  const float vTop = static_cast<float>(r.top) * invTextureHeight;
  const float uRight = static_cast<float>(r.right) * invTextureWidth;
  const float vBottom = static_cast<float>(r.bottom) * invTextureHeight;
  SpriteVertex* v = spriteQuads[spriteCount].vertices;
  v[0] = {p.x, p.y, p.z, colour, uLeft, vTop};
  v[1] = {p.x, p.y + h, p.z, colour, uLeft, vBottom};
  v[2] = {p.x + w, p.y, p.z, colour, uRight, vTop};
  v[3] = {p.x + w, p.y + h, p.z, colour, uRight, vBottom};
  ++spriteCount;
  return S_OK;
}

// The corner that vertex 0 lands on. Screen and object space: position - center, with the
// transform still to come (deferred). Billboards: the position carried into view space by
// transform x worldView, the quad and its center scaled by the matrix's row lengths but not
// rotated, so that it stays parallel to the view plane.
D3DXVECTOR3 SpriteBatcher::CornerPosition(const D3DXVECTOR3* center, const D3DXVECTOR3* position,
                                          float* w, float* h) {
  const D3DXVECTOR3 origin(0.0f, 0.0f, 0.0f);
  const D3DXVECTOR3& at = position != nullptr ? *position : origin;
  if ((flags & D3DXSPRITE_BILLBOARD) == 0) return center != nullptr ? at - *center : at;
  UpdateBillboard();
  D3DXVECTOR3 p;
  D3DXVec3TransformCoord(&p, &at, &matrices->billboardMatrix);
  *w *= billboardScale.x;
  *h *= billboardScale.y;
  if (center != nullptr) {
    p.x -= center->x * billboardScale.x;
    p.y -= center->y * billboardScale.y;
    p.z -= center->z * billboardScale.z;
  }
  return p;
}

void SpriteBatcher::UpdateBillboard() {
  if (billboardValid) return;
  D3DXMATRIX& billboard = matrices->billboardMatrix;
  const D3DXMATRIX& transform = matrices->transform;
  D3DXMatrixMultiply(&billboard, &transform, &matrices->worldView);
  // A mirroring transform keeps its sign, so the sprite stays mirrored.
  billboardScale.x = transform._11 < 0.0f ? -RowLength(billboard, 0) : RowLength(billboard, 0);
  billboardScale.y = transform._22 < 0.0f ? -RowLength(billboard, 1) : RowLength(billboard, 1);
  billboardScale.z = transform._33 < 0.0f ? -RowLength(billboard, 2) : RowLength(billboard, 2);
  billboardValid = TRUE;
}

// The size is read once per change of texture, always of level 0. A texture whose size cannot
// be read is refused, rather than drawn with infinite texture coordinates.
HRESULT SpriteBatcher::ChangeTexture(IDirect3DTexture9* texture) {
  D3DSURFACE_DESC desc{};
  const HRESULT result = texture->GetLevelDesc(0, &desc);
  if (FAILED(result)) return result;
  if (spriteCount > 0) ++textureChanges;
  currentTexture = texture;
  currentTextureWidth = desc.Width;
  currentTextureHeight = desc.Height;
  invTextureWidth = 1.0f / static_cast<float>(desc.Width);
  invTextureHeight = 1.0f / static_cast<float>(desc.Height);
  return S_OK;
}

// Doubles the four arrays (64 entries at first). A refused allocation leaves the queue as it
// was: arrays already replaced hold at least the old capacity, and the capacity is stored
// only when all four have grown.
HRESULT SpriteBatcher::GrowQueue() {
  if (spriteCapacity > UINT_MAX / 2) return E_OUTOFMEMORY;
  const UINT capacity = spriteCapacity == 0 ? initialQueueCapacity : 2 * spriteCapacity;
  if (!ReplaceArray(&sortOrder, capacity, 0) || !ReplaceArray(&sortKeys, capacity, 0) ||
      !ReplaceArray(&spriteTextures, capacity, spriteCount) ||
      !ReplaceArray(&spriteQuads, capacity, spriteCount)) {
    return E_OUTOFMEMORY;
  }
  spriteCapacity = capacity;
  return S_OK;
}

void SpriteBatcher::EmptyQueue() {
  openMark.Close();
  spriteCount = 0;
  firstUntransformed = 0;
  textureChanges = 0;
  currentTexture = nullptr;
  currentTextureWidth = 0;
  currentTextureHeight = 0;
  invTextureWidth = 0.0f;
  invTextureHeight = 0.0f;
}

void SpriteBatcher::FreeQueue() {
  FreeBytes(sortOrder);
  FreeBytes(spriteTextures);
  FreeBytes(sortKeys);
  FreeBytes(spriteQuads);
  sortOrder = nullptr;
  spriteTextures = nullptr;
  sortKeys = nullptr;
  spriteQuads = nullptr;
  spriteCapacity = 0;
}
