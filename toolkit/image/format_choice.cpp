#include "toolkit/image/format_choice.h"

#include <array>

#include "toolkit/common/debug_mute.h"

namespace {

constexpr DWORD missingChannel = 1u << 24;
constexpr DWORD unwantedChannel = 256;
constexpr DWORD lostBitWeight = 65536;
constexpr DWORD channelCount = 5;

std::array<DWORD, channelCount> ChannelWidths(const PixelFormatInfo& row) {
  return {row.extraBits, row.alphaBits, row.redBits, row.greenBits, row.blueBits};
}

// The best row offered so far: smaller distance first, then fewer bits, then the earlier.
class ClosestFormat {
 public:
  explicit ClosestFormat(const PixelFormatInfo& target) : wanted(target) {}

  void Offer(const PixelFormatInfo& candidate) {
    const std::optional<DWORD> distance = FormatDistance(wanted, candidate);
    if (!distance) return;
    const bool closer = best == nullptr || *distance < bestDistance ||
                        (*distance == bestDistance && candidate.bitsPerPixel < best->bitsPerPixel);
    if (!closer) return;
    best = &candidate;
    bestDistance = *distance;
  }

  D3DFORMAT Format() const { return best != nullptr ? best->format : D3DFMT_UNKNOWN; }

 private:
  const PixelFormatInfo& wanted;
  const PixelFormatInfo* best = nullptr;
  DWORD bestDistance = 0;
};

// What CheckDeviceFormat needs to know of the device, taken once per search.
struct DeviceFormatQuery {
  IDirect3D9* direct3d = nullptr;
  UINT adapter = 0;
  D3DDEVTYPE deviceType = D3DDEVTYPE_HAL;
  D3DFORMAT displayFormat = D3DFMT_UNKNOWN;
  DWORD usage = 0;
  D3DRESOURCETYPE kind = D3DRTYPE_TEXTURE;

  DeviceFormatQuery() = default;
  DeviceFormatQuery(const DeviceFormatQuery&) = delete;
  DeviceFormatQuery& operator=(const DeviceFormatQuery&) = delete;
  ~DeviceFormatQuery() {
    if (direct3d != nullptr) direct3d->Release();
  }

  bool Open(IDirect3DDevice9* device) {
    if (FAILED(device->GetDirect3D(&direct3d))) {
      direct3d = nullptr;
      return false;
    }
    D3DCAPS9 caps{};
    if (FAILED(device->GetDeviceCaps(&caps))) return false;
    adapter = caps.AdapterOrdinal;
    deviceType = caps.DeviceType;
    D3DDISPLAYMODE mode{};
    if (FAILED(device->GetDisplayMode(0, &mode))) return false;
    displayFormat = mode.Format;
    // Vertex textures of a software-processing device are read by software.
    if ((usage & D3DUSAGE_QUERY_VERTEXTEXTURE) != 0) {
      D3DDEVICE_CREATION_PARAMETERS creation{};
      if (SUCCEEDED(device->GetCreationParameters(&creation)) &&
          (creation.BehaviorFlags & D3DCREATE_SOFTWARE_VERTEXPROCESSING) != 0) {
        usage |= D3DUSAGE_SOFTWAREPROCESSING;
      }
    }
    return true;
  }

  bool Accepts(D3DFORMAT format) const {
    return SUCCEEDED(
        direct3d->CheckDeviceFormat(adapter, deviceType, displayFormat, usage, kind, format));
  }
};

// The table search itself, with the debug layer already muted.
D3DFORMAT SearchTable(IDirect3DDevice9* device, DWORD usage, D3DRESOURCETYPE kind,
                      const PixelFormatInfo& wanted) {
  DeviceFormatQuery query;
  query.usage = usage;
  query.kind = kind;
  if (device != nullptr && !query.Open(device)) return D3DFMT_UNKNOWN;

  ClosestFormat closest(wanted);
  const PixelFormatInfo* rows = PixelFormatTable();
  for (UINT i = 0; i < PixelFormatTableSize(); ++i) {
    const PixelFormatInfo& row = rows[i];
    if (device != nullptr && !query.Accepts(row.format)) continue;
    if (row.format == wanted.format) return row.format;
    if (row.candidate != 0) closest.Offer(row);
  }
  return closest.Format();
}

}  // namespace

bool KindMayReplace(PixelKind wanted, PixelKind candidate) {
  switch (wanted) {
    case PixelKind::Palettised:
      return candidate == PixelKind::Colour || candidate == PixelKind::Palettised;
    case PixelKind::Luminance:
      return candidate == PixelKind::Colour || candidate == PixelKind::Luminance;
    case PixelKind::Colour:
    case PixelKind::Signed:
    case PixelKind::DepthStencil:
      return candidate == wanted;
  }
  return false;
}

std::optional<DWORD> FormatDistance(const PixelFormatInfo& wanted,
                                    const PixelFormatInfo& candidate) {
  if (!KindMayReplace(wanted.kind, candidate.kind)) return std::nullopt;
  const std::array<DWORD, channelCount> want = ChannelWidths(wanted);
  const std::array<DWORD, channelCount> have = ChannelWidths(candidate);
  DWORD distance = 0;
  DWORD wantedChannels = 0;
  for (DWORD i = 0; i < channelCount; ++i) {
    const DWORD a = want[i];
    const DWORD b = have[i];
    if (a != 0) ++wantedChannels;
    if (a < b) distance += a == 0 ? unwantedChannel : b - a;
    if (a > b) distance += b == 0 ? missingChannel : (a - b) * lostBitWeight;
  }
  // Channels are at most 32 bits wide, so the precision terms of five channels stay below the
  // weight of one missing channel, and the quotient counts the missing ones.
  if (distance / missingChannel == wantedChannels) return std::nullopt;
  return distance;
}

D3DFORMAT FindClosestDeviceFormat(IDirect3DDevice9* device, DWORD usage, D3DRESOURCETYPE kind,
                                  const PixelFormatInfo& wanted) {
  // Refused formats are the point of the search; the debug layer need not warn about them.
  D3DXDebugMute(TRUE);
  const D3DFORMAT format = SearchTable(device, usage, kind, wanted);
  D3DXDebugMute(FALSE);
  return format;
}

D3DFORMAT FindClosestFormat(const D3DFORMAT* formats, bool allowPalettised,
                            const PixelFormatInfo& wanted) {
  ClosestFormat closest(wanted);
  for (const D3DFORMAT* format = formats; *format != D3DFMT_UNKNOWN; ++format) {
    const PixelFormatInfo& row = GetPixelFormatInfo(*format);
    if (row.format != *format) continue;
    if (!allowPalettised && row.kind == PixelKind::Palettised) continue;
    if (row.format == wanted.format) return row.format;
    closest.Offer(row);
  }
  return closest.Format();
}
