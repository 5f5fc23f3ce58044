#include "bench/scene/draw_list_recorder.h"

HRESULT DrawListRecorder::QueryInterface(REFIID, void** object) {
  if (object != nullptr) *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT DrawListRecorder::Draw(IDirect3DTexture9* texture, const RECT* source,
                               const D3DXVECTOR3* centre, const D3DXVECTOR3* position,
                               D3DCOLOR) {
  const auto picture = pictures.find(texture);
  if (picture == pictures.end() || source == nullptr) return D3DERR_INVALIDCALL;
  const float centreX = centre != nullptr ? centre->x : 0.0f;
  const float centreY = centre != nullptr ? centre->y : 0.0f;
  const float x = position != nullptr ? position->x : 0.0f;
  const float y = position != nullptr ? position->y : 0.0f;
  draws.push_back({picture->second, static_cast<int>(source->left),
                   static_cast<int>(source->top), static_cast<int>(source->right - source->left),
                   static_cast<int>(source->bottom - source->top),
                   static_cast<int>(x - centreX), static_cast<int>(y - centreY)});
  return S_OK;
}
