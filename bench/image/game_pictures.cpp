#include "bench/image/game_pictures.h"

#include <png.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace game_pictures {
namespace {

constexpr std::uint32_t spriteKey = 0xFF6A4C30;
constexpr std::uint32_t tileKey = 0xFF000000;
constexpr int frameSize = 128;

// Pixels in memory order red, green, blue, alpha, as libpng's RGBA format has them.
struct Canvas {
  int width;
  int height;
  std::vector<std::uint8_t> bytes;

  Canvas(int columns, int rows, std::uint32_t fill)
      : width(columns), height(rows), bytes(std::size_t(columns) * rows * 4) {
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) Set(x, y, fill);
    }
  }
  void Set(int x, int y, std::uint32_t argb) {
    std::uint8_t* p = &bytes[(std::size_t(y) * width + x) * 4];
    p[0] = std::uint8_t(argb >> 16);
    p[1] = std::uint8_t(argb >> 8);
    p[2] = std::uint8_t(argb);
    p[3] = std::uint8_t(argb >> 24);
  }
};

// A small deterministic generator, so every run writes the same files.
struct Noise {
  std::uint32_t state;
  std::uint32_t Next() {
    state = state * 1664525u + 1013904223u;
    return state >> 24;
  }
};

std::uint32_t Argb(int a, int r, int g, int b) {
  return std::uint32_t(a) << 24 | std::uint32_t(r & 0xFF) << 16 | std::uint32_t(g & 0xFF) << 8 |
         std::uint32_t(b & 0xFF);
}

// A painted screen: broad gradients with a little grain.
Canvas Screen(int seed) {
  Canvas canvas(640, 480, 0);
  Noise noise{std::uint32_t(seed) * 7919u + 1};
  for (int y = 0; y < 480; ++y) {
    for (int x = 0; x < 640; ++x) {
      const int grain = int(noise.Next() % 9) - 4;
      canvas.Set(x, y, Argb(255, x * 255 / 639 + grain, y * 255 / 479 + grain,
                            (x + y + seed * 40) % 256 / 2 + 64 + grain));
    }
  }
  return canvas;
}

// A strip of frames on the key colour, each with a shaded body that moves from frame to frame.
Canvas Strip(int frames, int seed) {
  Canvas canvas(frames * frameSize, frameSize, spriteKey);
  for (int f = 0; f < frames; ++f) {
    const double cx = f * frameSize + 64 + 10 * std::sin(f + seed);
    const double cy = 80 + 6 * std::cos(f * 0.5 + seed);
    for (int y = 20; y < 124; ++y) {
      for (int x = f * frameSize + 16; x < (f + 1) * frameSize - 16; ++x) {
        const double dx = (x - cx) / 36.0;
        const double dy = (y - cy) / 44.0;
        const double d = dx * dx + dy * dy;
        if (d > 1.0) continue;
        const int shade = int(200 * (1.0 - d)) + 40;
        canvas.Set(x, y, Argb(d > 0.9 ? 160 : 255, shade, (shade * (seed + 3)) % 256, 255 - shade));
      }
    }
  }
  return canvas;
}

// Five diamond tiles in 128 x 128 frames of a 1024 x 384 atlas, on black.
Canvas TileAtlas() {
  Canvas canvas(1024, 384, tileKey);
  for (int tile = 0; tile < 5; ++tile) {
    const int left = tile * frameSize;
    for (int y = 64; y < 128; ++y) {
      const int half = 64 - std::abs(y - 96) * 2;
      for (int x = 64 - half; x < 64 + half; ++x) {
        canvas.Set(left + x, y, Argb(255, 40 + tile * 30, 120 + (x ^ y) % 40, 60 + tile * 20));
      }
    }
  }
  return canvas;
}

void WritePng(const std::string& path, const Canvas& canvas) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(canvas.width);
  image.height = png_uint_32(canvas.height);
  image.format = PNG_FORMAT_RGBA;
  if (png_image_write_to_file(&image, path.c_str(), 0, canvas.bytes.data(), 0, nullptr) == 0) {
    throw std::runtime_error("cannot write " + path + ": " + image.message);
  }
}

// The files of one run, removed again at exit.
struct WrittenFolder {
  std::string folder;
  std::vector<Picture> pictures;
  ~WrittenFolder() {
    for (const Picture& picture : pictures) ::unlink(picture.path.c_str());
    ::rmdir(folder.c_str());
  }
};

void WriteAll(WrittenFolder& written) {
  char folder[] = "/tmp/mirefell-pictures-XXXXXX";
  if (::mkdtemp(folder) == nullptr) throw std::runtime_error("no temporary folder");
  written.folder = folder;
  std::vector<Picture>& pictures = written.pictures;
  const auto add = [&](const std::string& name, std::uint32_t key, const Canvas& canvas) {
    const std::string path = std::string(folder) + "/" + name;
    WritePng(path, canvas);
    pictures.push_back({path, key, canvas.width, canvas.height});
  };
  add("tileimage.png", tileKey, TileAtlas());
  for (int facing = 0; facing < 4; ++facing) {
    add("hero-walk-" + std::to_string(facing * 2) + ".png", spriteKey, Strip(24, facing));
  }
  for (int facing = 0; facing < 4; ++facing) {
    add("hero-attack-" + std::to_string(facing * 2) + ".png", spriteKey, Strip(12, facing + 4));
  }
  const char* const enemies[] = {"blueslime", "flower", "mudslime", "boss"};
  for (int e = 0; e < 4; ++e) {
    add(std::string(enemies[e]) + "-walk.png", spriteKey, Strip(12, e + 8));
    add(std::string(enemies[e]) + "-attack.png", spriteKey, Strip(12, e + 12));
  }
  const char* const screens[] = {"cover", "story", "gameover", "gamewin"};
  for (int s = 0; s < 4; ++s) add(std::string(screens[s]) + ".png", spriteKey, Screen(s));
}

}  // namespace

const std::vector<Picture>& WrittenPictures() {
  static WrittenFolder written;
  if (written.pictures.empty()) WriteAll(written);
  return written.pictures;
}

}  // namespace game_pictures
