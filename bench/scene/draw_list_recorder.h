// A stand-in sprite that keeps the game's Draw calls as a draw list, so that the benchmark's
// peers can draw exactly what the game's map drawing asks for.
#pragma once

#include <map>
#include <vector>

#include "bench/d3d9/map_workload.h"
#include "toolkit/sprite/d3dx_sprite.h"

class DrawListRecorder final : public ID3DXSprite {
 public:
  // `numbering` numbers the textures as the peers' workload does.
  explicit DrawListRecorder(const std::map<IDirect3DTexture9*, int>& numbering)
      : pictures(numbering) {}

  const std::vector<map_workload::Draw>& Draws() const { return draws; }

  HRESULT QueryInterface(REFIID, void** object) override;
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }
  HRESULT GetDevice(IDirect3DDevice9**) override { return E_NOTIMPL; }
  HRESULT GetTransform(D3DXMATRIX*) override { return E_NOTIMPL; }
  HRESULT SetTransform(const D3DXMATRIX*) override { return E_NOTIMPL; }
  HRESULT SetWorldViewRH(const D3DXMATRIX*, const D3DXMATRIX*) override { return E_NOTIMPL; }
  HRESULT SetWorldViewLH(const D3DXMATRIX*, const D3DXMATRIX*) override { return E_NOTIMPL; }
  HRESULT Begin(DWORD) override { return S_OK; }
  // Keeps the rectangle with its top-left corner on screen; the game draws whole frames
  // with an identity transform and an integral centre, so nothing is lost.
  HRESULT Draw(IDirect3DTexture9* texture, const RECT* source, const D3DXVECTOR3* centre,
               const D3DXVECTOR3* position, D3DCOLOR colour) override;
  HRESULT Flush() override { return S_OK; }
  HRESULT End() override { return S_OK; }
  HRESULT OnLostDevice() override { return S_OK; }
  HRESULT OnResetDevice() override { return S_OK; }

 private:
  const std::map<IDirect3DTexture9*, int>& pictures;
  std::vector<map_workload::Draw> draws;
};
