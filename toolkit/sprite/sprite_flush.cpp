// Flush: the deferred transform, the drawing order, and the copy of the queue into the vertex
// ring in runs of one texture.
#include <algorithm>
#include <cfloat>
#include <cstdint>
#include <cstring>

#include "toolkit/sprite/sprite_batcher.h"

namespace {

constexpr DWORD depthSortFlags =
    D3DXSPRITE_SORT_DEPTH_FRONTTOBACK | D3DXSPRITE_SORT_DEPTH_BACKTOFRONT;

// Orders of queue indices. Each is total: on equal texture or key the lower index comes
// first, so equal sprites keep their submission order.
struct ByTextureAddress {
  IDirect3DTexture9* const* textures;
  bool operator()(UINT a, UINT b) const {
    const auto addressA = reinterpret_cast<std::uintptr_t>(textures[a]);
    const auto addressB = reinterpret_cast<std::uintptr_t>(textures[b]);
    if (addressA != addressB) return addressA > addressB;
    return a < b;
  }
};

struct ByKey {
  const float* keys;
  bool ascending;
  bool operator()(UINT a, UINT b) const {
    if (keys[a] < keys[b]) return ascending;
    if (keys[a] > keys[b]) return !ascending;
    return a < b;
  }
};

}  // namespace

HRESULT SpriteBatcher::Flush() {
  if (!inBegin) return D3DERR_INVALIDCALL;
  ApplyDeferredTransform();
  const UINT* order = DrawingOrder();
  device->SetVertexDeclaration(vertexDecl);
  device->SetIndices(indexBuffer);
  device->SetStreamSource(0, vertexBuffer, 0, sizeof(SpriteVertex));
  const HRESULT result = DrawRuns(order);
  EmptyQueue();
  return result;
}

// Transforms the pending sprites in place by the current transform, 4 x n points in one call.
void SpriteBatcher::ApplyDeferredTransform() {
  const UINT pending = spriteCount - firstUntransformed;
  if (pending > 0 && !transformIsIdentity && (flags & D3DXSPRITE_BILLBOARD) == 0) {
    auto* positions = reinterpret_cast<D3DXVECTOR3*>(&spriteQuads[firstUntransformed].vertices[0].x);
    D3DXVec3TransformCoordArray(positions, sizeof(SpriteVertex), positions, sizeof(SpriteVertex),
                                &matrices->transform, 4 * pending);
  }
  firstUntransformed = spriteCount;
}

// Null for queue order, else sortOrder, sorted. Sorting happens only when it can change
// something: some texture change, or unequal depth keys.
const UINT* SpriteBatcher::DrawingOrder() {
  if (flags & D3DXSPRITE_SORT_TEXTURE) {
    if (textureChanges == 0) return nullptr;
    SortQueue(true, false);
    return sortOrder;
  }
  if ((flags & depthSortFlags) == 0 || !ComputeDepthKeys()) return nullptr;
  SortQueue(false, (flags & D3DXSPRITE_SORT_DEPTH_FRONTTOBACK) != 0);
  return sortOrder;
}

// Object space measures depth along the view direction at the sum of the four corners; screen
// space and billboards by the negated sum of the z values, so that a larger z is nearer.
// Returns whether the keys differ.
bool SpriteBatcher::ComputeDepthKeys() {
  const bool alongView =
      (flags & D3DXSPRITE_OBJECTSPACE) != 0 && (flags & D3DXSPRITE_BILLBOARD) == 0;
  float smallest = FLT_MAX;
  float largest = -FLT_MAX;
  for (UINT i = 0; i < spriteCount; ++i) {
    const SpriteVertex* v = spriteQuads[i].vertices;
    float key;
    if (alongView) {
      const float x = v[0].x + v[1].x + v[2].x + v[3].x;
      const float y = v[0].y + v[1].y + v[2].y + v[3].y;
      const float z = v[0].z + v[1].z + v[2].z + v[3].z;
      key = viewDirection.x * x + viewDirection.y * y + viewDirection.z * z;
    } else {
      key = -(v[0].z + v[1].z + v[2].z + v[3].z);
    }
    sortKeys[i] = key;
    smallest = std::min(smallest, key);
    largest = std::max(largest, key);
  }
  return smallest != largest;
}

void SpriteBatcher::SortQueue(bool byTexture, bool ascendingKeys) {
  for (UINT i = 0; i < spriteCount; ++i) sortOrder[i] = i;
  UINT* const first = sortOrder;
  UINT* const last = sortOrder + spriteCount;
  if (byTexture) {
    const ByTextureAddress before{spriteTextures};
    std::make_heap(first, last, before);
    std::sort_heap(first, last, before);
  } else {
    const ByKey before{sortKeys, ascendingKeys};
    std::make_heap(first, last, before);
    std::sort_heap(first, last, before);
  }
}

// Each run binds its texture when it differs from the last one bound, appends its sprites to
// the ring (discarding when the ring starts again at 0) and draws them in one call. A run ends
// at a change of texture or at the end of the ring; a run cut by the ring goes on with the same
// texture. A failed lock drops the rest of the queue.
HRESULT SpriteBatcher::DrawRuns(const UINT* order) {
  IDirect3DTexture9* bound = nullptr;  // queued textures are never null
  UINT next = 0;
  while (next < spriteCount) {
    const UINT firstOfRun = order != nullptr ? order[next] : next;
    if (spriteTextures[firstOfRun] != bound) {
      bound = spriteTextures[firstOfRun];
      device->SetTexture(0, bound);
    }
    void* data = nullptr;
    const HRESULT locked =
        vertexBuffer->Lock(0, 0, &data, nextVertex > 0 ? D3DLOCK_NOOVERWRITE : D3DLOCK_DISCARD);
    if (FAILED(locked)) return locked;
    auto* ring = static_cast<SpriteVertex*>(data);
    const UINT startVertex = nextVertex;
    const UINT startIndex = nextIndex;
    while (next < spriteCount && nextVertex < ringVertexCount) {
      const UINT q = order != nullptr ? order[next] : next;
      if (spriteTextures[q] != bound) break;
      std::memcpy(ring + nextVertex, &spriteQuads[q], sizeof(QueuedSprite));
      nextVertex += 4;
      nextIndex += 6;
      ++next;
    }
    vertexBuffer->Unlock();
    device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, startVertex, nextVertex - startVertex,
                                 startIndex, (nextIndex - startIndex) / 3);
    if (nextVertex >= ringVertexCount) {
      nextVertex = 0;
      nextIndex = 0;
    }
  }
  return S_OK;
}
