#include "tools/imagetool/level_export.h"

#include <png.h>

#include <cstdint>
#include <vector>

#include "toolkit/surface/row_converter.h"
#include "toolkit/surface/surface_lock.h"

namespace {

std::uint8_t ToByte(float value) {
  if (!(value > 0.0f)) return 0;
  if (value >= 1.0f) return 255;
  return static_cast<std::uint8_t>(value * 255.0f + 0.5f);
}

// The locked level as rows of red, green, blue and alpha bytes.
HRESULT DecodeLevel(const PixelRegion& region, std::vector<std::uint8_t>* rgba) {
  RowConverterPtr converter = MakeRowConverter(region);
  if (!converter) return E_NOTIMPL;
  std::vector<FloatPixel> row(converter->Width());
  rgba->clear();
  rgba->reserve(std::size_t(converter->Width()) * converter->Height() * 4);
  for (UINT y = 0; y < converter->Height(); ++y) {
    converter->DecodeRow(y, 0, row.data());
    for (const FloatPixel& pixel : row) {
      rgba->insert(rgba->end(), {ToByte(pixel.r), ToByte(pixel.g), ToByte(pixel.b),
                                 ToByte(pixel.a)});
    }
  }
  return S_OK;
}

bool WriteRgbaPng(const std::string& path, UINT width, UINT height,
                  const std::vector<std::uint8_t>& rgba) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = width;
  image.height = height;
  image.format = PNG_FORMAT_RGBA;
  return png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), 0, nullptr) != 0;
}

}  // namespace

HRESULT WriteLevelAsPng(IDirect3DTexture9* texture, UINT level, const std::string& path) {
  IDirect3DSurface9* surface = nullptr;
  HRESULT result = texture->GetSurfaceLevel(level, &surface);
  if (FAILED(result)) return result;
  D3DSURFACE_DESC desc{};
  std::vector<std::uint8_t> rgba;
  {
    SurfaceLock lock;
    result = surface->GetDesc(&desc);
    if (SUCCEEDED(result)) result = lock.Lock(surface, nullptr, nullptr, 0, surfaceLockReadOnly);
    if (SUCCEEDED(result)) result = DecodeLevel(lock.Region(), &rgba);
  }
  surface->Release();
  if (FAILED(result)) return result;
  return WriteRgbaPng(path, desc.Width, desc.Height, rgba) ? S_OK : E_FAIL;
}
