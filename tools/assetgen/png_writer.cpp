#include "tools/assetgen/png_writer.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>

namespace {

bool NearKey(Rgba c, Rgba key) {
  return std::abs(c.r - key.r) <= kKeyClearance && std::abs(c.g - key.g) <= kKeyClearance &&
         std::abs(c.b - key.b) <= kKeyClearance;
}

// Moves one channel to just past the clearance, on the side that has room.
uint8_t PushAway(uint8_t value, uint8_t key) {
  const int up = key + kKeyClearance + 1;
  const int down = key - kKeyClearance - 1;
  if (value >= key && up <= 255) return uint8_t(up);
  if (down >= 0) return uint8_t(down);
  return uint8_t(up);
}

}  // namespace

Rgba KeepClearOfKey(Rgba c, Rgba key) {
  if (!NearKey(c, key)) return c;
  c.r = PushAway(c.r, key.r);
  return c;
}

std::vector<uint8_t> EncodePng(const Canvas& picture, Rgba key) {
  std::vector<uint8_t> rgb;
  rgb.reserve(picture.pixels().size() * 3);
  for (const Rgba& p : picture.pixels()) {
    const Rgba c = p.opaque() ? KeepClearOfKey(p, key) : key;
    rgb.push_back(c.r);
    rgb.push_back(c.g);
    rgb.push_back(c.b);
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(picture.width());
  image.height = png_uint_32(picture.height());
  image.format = PNG_FORMAT_RGB;
  png_alloc_size_t size = 0;
  if (!png_image_write_get_memory_size(image, size, 0, rgb.data(), 0, nullptr)) return {};
  std::vector<uint8_t> bytes(size);
  if (!png_image_write_to_memory(&image, bytes.data(), &size, 0, rgb.data(), 0, nullptr)) {
    return {};
  }
  bytes.resize(size);
  return bytes;
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}
