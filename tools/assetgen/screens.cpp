// The four full-screen pictures: cover, story, defeat and victory. Each is opaque everywhere
// (the game draws it whole over black) and is built from dithered skies and ridges, the
// game's own sprites and tiles enlarged by whole factors, and lettering.
#include <cmath>
#include <string>
#include <vector>

#include "tools/assetgen/draw.h"
#include "tools/assetgen/figure.h"
#include "tools/assetgen/lettering.h"
#include "tools/assetgen/palette.h"
#include "tools/assetgen/pictures.h"

namespace {

using namespace palette;

// A 4 x 4 ordered-dither threshold, 0..15.
int Bayer(int x, int y) {
  constexpr int kMatrix[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  return kMatrix[y & 3][x & 3];
}

// Bands of the given colours from `top` to `bottom`, dithered where they meet.
void Gradient(Canvas& c, int top, int bottom, const std::vector<Rgba>& stops) {
  const int spans = int(stops.size()) - 1;
  for (int y = top; y < bottom; ++y) {
    const float t = float(y - top) / float(bottom - top) * float(spans);
    const int i = std::min(int(t), spans - 1);
    const float frac = t - float(i);
    for (int x = 0; x < c.width(); ++x) {
      c.Set(x, y, frac * 16 > float(Bayer(x, y)) + 0.5f ? stops[size_t(i) + 1] : stops[size_t(i)]);
    }
  }
}

void Stars(Canvas& c, int bottom, int count, uint32_t seed) {
  for (int i = 0; i < count; ++i) {
    const int x = int(Hash(i, 0, seed) % uint32_t(c.width()));
    const int y = int(Hash(i, 1, seed) % uint32_t(bottom));
    const bool bright = Hash(i, 2, seed) % 7 == 0;
    c.Set(x, y, bright ? kWhite : Hex(0xA8B0D8));
    if (bright) {
      c.Set(x - 1, y, Hex(0x8890C0));
      c.Set(x + 1, y, Hex(0x8890C0));
      c.Set(x, y - 1, Hex(0x8890C0));
      c.Set(x, y + 1, Hex(0x8890C0));
    }
  }
}

// A skyline of hills: filled from a wavy line down to `bottom`.
void Ridge(Canvas& c, int baseY, float amplitude, float seed, int bottom, Rgba colour) {
  for (int x = 0; x < c.width(); ++x) {
    const float fx = float(x);
    const float wave = 0.5f * std::sin(fx * 0.011f + seed) + 0.3f * std::sin(fx * 0.029f + 2 * seed) +
                       0.2f * std::sin(fx * 0.067f + 3 * seed);
    const int top = baseY - int(amplitude * wave);
    for (int y = top; y < bottom; ++y) c.Set(x, y, colour);
  }
}

// Thin mist: a sparse dither in the middle of the band, sparser toward its edges.
void Mist(Canvas& c, int top, int bottom, Rgba colour) {
  for (int y = top; y < bottom; ++y) {
    const float edge = 1 - std::fabs(float(y - top) / float(bottom - top) * 2 - 1);
    const int level = int(edge * 8);
    for (int x = 0; x < c.width(); ++x) {
      if (Bayer(x, y) < level) c.Set(x, y, colour);
    }
  }
}

// Lays an actor or tile frame enlarged by `factor`, its anchor point on (x, y).
void Place(Canvas& c, const Canvas& frame, int factor, int anchorX, int anchorY, int x, int y) {
  c.Stamp(Scale(frame, factor), x - anchorX * factor, y - anchorY * factor);
}

// The frame in one flat colour, but for the colours in `keep`.
Canvas Silhouette(const Canvas& frame, Rgba colour, const std::vector<Rgba>& keep = {}) {
  Canvas dark(frame.width(), frame.height());
  for (int y = 0; y < frame.height(); ++y) {
    for (int x = 0; x < frame.width(); ++x) {
      const Rgba p = frame.Get(x, y);
      if (!p.opaque()) continue;
      bool kept = false;
      for (const Rgba& k : keep) kept = kept || k == p;
      dark.Set(x, y, kept ? p : colour);
    }
  }
  return dark;
}

Canvas TileFrame(const Canvas& tiles, int value) {
  return Crop(tiles, (value % 16) * kFrameSize, (value / 16) * kFrameSize, kFrameSize, kFrameSize);
}

// A title in enlarged hard-edged letters: ink outline, drop shadow, banded fill.
void Title(Canvas& c, const std::string& text, int top, int size, Rgba upper, Rgba lower) {
  const TextMask letters = Enlarge(SetText(kSerifBoldFont, text, size, true), 2);
  const TextMask rim = Grow(letters, 3);
  const int x = (c.width() - letters.width) / 2;
  Letter(c, rim, x - 3 + 4, top - 3 + 5, Hex(0x0C0A12));
  Letter(c, rim, x - 3, top - 3, kInk);
  LetterGradient(c, letters, x, top, upper, lower, 6);
}

// A line of smooth text centred on `centreX`, with a one-pixel shadow when one is given.
void Caption(Canvas& c, const std::string& text, int centreX, int top, int size, Rgba colour,
             const Rgba* shadow, const char* font = kSerifFont) {
  const TextMask mask = SetText(font, text, size, false);
  const int x = centreX - mask.width / 2;
  if (shadow != nullptr) Letter(c, mask, x + 1, top + 1, *shadow);
  Letter(c, mask, x, top, colour);
}

constexpr Rgba kNightInk = Hex(0x0C0A12);

// --- Cover: the hero looks out over the mire at dusk toward the Mire King's shape.

void CoverBackdrop(Canvas& c) {
  Gradient(c, 0, 330,
           {Hex(0x121230), Hex(0x1E1C44), Hex(0x33295A), Hex(0x54345F), Hex(0x8A465A),
            Hex(0xC86A52), Hex(0xE8A060)});
  Stars(c, 210, 140, 7);
  // The moon with a faint halo and two dark seas.
  DitherEllipse(c, 578, 196, 40, 40, Hex(0x5A3E72));
  FillEllipse(c, 578, 196, 26, 26, Hex(0xF4ECC8));
  FillEllipse(c, 570, 190, 7, 5, Hex(0xDCD2AC));
  FillEllipse(c, 586, 206, 5, 4, Hex(0xDCD2AC));
  FillEllipse(c, 590, 186, 2.5f, 2.5f, Hex(0xDCD2AC));
  Ridge(c, 262, 70, 1.0f, 480, Hex(0x2A2250));
  Ridge(c, 300, 34, 2.7f, 480, Hex(0x1C2034));
  Mist(c, 282, 322, Hex(0x9A86A8));
  Gradient(c, 322, 480, {Hex(0x1A2420), Hex(0x141C18), Hex(0x0E1412)});
  // Pools catching the sky.
  const struct { float x, y, rx, ry; } pools[] = {{120, 370, 70, 10}, {470, 400, 90, 13},
                                                  {300, 352, 50, 6}};
  for (const auto& p : pools) {
    FillEllipse(c, p.x, p.y, p.rx, p.ry, Hex(0x2E2A4A));
    FillRect(c, int(p.x - p.rx * 0.5f), int(p.y) - 1, int(p.x + p.rx * 0.3f), int(p.y),
             Hex(0xC86A52));
  }
}

Canvas DrawCoverPicture() {
  Canvas c(kScreenWidth, kScreenHeight);
  CoverBackdrop(c);
  const Canvas tiles = DrawTilePicture();
  const Canvas deadTree = Silhouette(TileFrame(tiles, 39), Hex(0x0E1614));
  Place(c, deadTree, 2, 64, 112, 70, 420);
  Place(c, deadTree, 1, 64, 112, 560, 352);
  Place(c, deadTree, 1, 64, 112, 240, 336);
  // The Mire King far off: a shape with glowing eyes and chest.
  const Canvas boss = Silhouette(StripFrame(DrawBoss(false), 0), Hex(0x161A26),
                                 {kGlow.dark, kGlow.shade, kGlow.base, kGlow.light});
  Place(c, boss, 1, kCreatureFeetX, kCreatureFeetY, 430, 318);
  // The hero from behind, sword ready.
  Place(c, StripFrame(DrawHeroWalk(0), 0), 3, kHeroFeetX, kHeroFeetY, 250, 470);
  Title(c, "Mirefell", 28, 44, Hex(0xFFE98A), Hex(0xC07A20));
  const Rgba shadow = kNightInk;
  Caption(c, "a tale of the fen", 320, 150, 20, Hex(0xE8D8F0), &shadow);
  Caption(c, "Press Enter", 470, 440, 20, kWhite, &shadow, kSerifBoldFont);
  return c;
}

// --- Story: a scroll with the quest and the foes on the way.

constexpr Rgba kParchment = Hex(0xE6D6AE);
constexpr Rgba kParchmentDark = Hex(0xC8B080);
constexpr Rgba kBrownInk = Hex(0x3A2A20);

void Scroll(Canvas& c, int left, int top, int right, int bottom) {
  FillRect(c, left, top, right, bottom, kParchment);
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      const int edge = std::min(std::min(x - left, right - 1 - x), std::min(y - top, bottom - 1 - y));
      if (edge < 10 && Bayer(x, y) >= edge + 4) c.Set(x, y, kParchmentDark);
      else if (Hash(x, y, 201) % 100 < 4) c.Set(x, y, Hex(0xD8C69C));
    }
  }
  for (int y : {top, bottom}) {
    Rod(c, {float(left - 12), float(y)}, {float(right + 12), float(y)}, 7, kPlanks);
    Ball(c, {float(left - 18), float(y)}, 6, 8, kGold);
    Ball(c, {float(right + 18), float(y)}, 6, 8, kGold);
  }
}

Canvas DrawStoryPicture() {
  Canvas c(kScreenWidth, kScreenHeight);
  Gradient(c, 0, kScreenHeight, {Hex(0x141C18), Hex(0x1C2A24), Hex(0x24342A)});
  Mist(c, 380, 470, Hex(0x3A4A40));
  Scroll(c, 70, 28, 570, 452);
  Caption(c, "The Mire Rises", 320, 44, 30, Hex(0x8A2A30), nullptr, kSerifBoldFont);
  const char* lines[] = {
      "The Mire King has woken in his ring of stones.",
      "His slimes creep out of the fen into Brookmeadow,",
      "and the flowers of the fields have learned to bite.",
      "Cross the meadows, the old keep and the mire,",
      "find the arena where he waits, and break him",
      "before the mire swallows all of Mirefell.",
  };
  int y = 100;
  for (const char* line : lines) {
    Caption(c, line, 320, y, 17, kBrownInk, nullptr);
    y += 27;
  }
  // The foes, left to right as the way leads to them.
  Place(c, StripFrame(DrawBlueSlime(false), 0), 1, kCreatureFeetX, kCreatureFeetY, 170, 392);
  Place(c, StripFrame(DrawFlower(false), 0), 1, kCreatureFeetX, kCreatureFeetY, 260, 392);
  Place(c, StripFrame(DrawMudSlime(false), 0), 1, kCreatureFeetX, kCreatureFeetY, 355, 392);
  Place(c, StripFrame(DrawBoss(false), 0), 1, kCreatureFeetX, kCreatureFeetY, 465, 392);
  Caption(c, "Arrow keys walk, Space strikes. Press Enter to set out.", 320, 410, 15,
          Hex(0x5A3A5A), nullptr);
  return c;
}

// --- Defeat: the hero's sword left standing in the mire.

Canvas Sword() {
  Canvas s(24, 64);
  Rod(s, {12, 4}, {12, 12}, 1.6f, kLeather);
  Ball(s, {12, 3}, 2.2f, 2.2f, kGold);
  Rod(s, {4, 13}, {20, 13}, 1.6f, kGold);
  Rod(s, {12, 15}, {12, 58}, 2.4f, kSteel);
  Outline(s, kInk);
  return s;
}

Canvas DrawDefeatPicture() {
  Canvas c(kScreenWidth, kScreenHeight);
  Gradient(c, 0, 340, {Hex(0x0C0A10), Hex(0x1A0C14), Hex(0x2E1018), Hex(0x4A161A)});
  Ridge(c, 320, 26, 4.1f, 480, Hex(0x140C10));
  Gradient(c, 340, 480, {Hex(0x161414), Hex(0x0E0C0C)});
  Mist(c, 318, 352, Hex(0x4A2228));
  const Canvas deadTree = Silhouette(TileFrame(DrawTilePicture(), 39), Hex(0x080608));
  Place(c, deadTree, 2, 64, 112, 90, 400);
  Place(c, deadTree, 2, 64, 112, 560, 380);
  // Mound, sword, and the dark water lapping at it.
  FillEllipse(c, 320, 352, 90, 18, Hex(0x221A16));
  FillEllipse(c, 320, 348, 70, 12, Hex(0x2E241C));
  Place(c, Sword(), 3, 12, 58, 320, 350);
  FillEllipse(c, 320, 396, 170, 14, Hex(0x1A1420));
  Title(c, "You Have Fallen", 60, 30, Hex(0xFF8070), Hex(0x8A1A20));
  const Rgba shadow = kNightInk;
  Caption(c, "The mire closes over Mirefell.", 320, 410, 20, Hex(0xD8C8C0), &shadow);
  Caption(c, "Press Enter to try again", 320, 444, 17, Hex(0xA89890), &shadow, kSerifBoldFont);
  return c;
}

// --- Victory: dawn over green hills, the hero's sword raised.

Canvas DrawVictoryPicture() {
  Canvas c(kScreenWidth, kScreenHeight);
  Gradient(c, 0, 320,
           {Hex(0x3A5A9A), Hex(0x5E78B4), Hex(0x9A94C4), Hex(0xE0A8A4), Hex(0xFFCC98),
            Hex(0xFFE8B0)});
  // The sun on the horizon with a ring of glow.
  DitherEllipse(c, 320, 300, 86, 86, Hex(0xFFF4C8));
  FillEllipse(c, 320, 300, 56, 56, Hex(0xFFF0B0));
  FillEllipse(c, 320, 300, 48, 48, Hex(0xFFFCE0));
  Ridge(c, 292, 40, 0.6f, 480, Hex(0x5E8A6A));
  Ridge(c, 330, 26, 2.2f, 480, Hex(0x3F7A3C));
  Gradient(c, 360, 480, {kGrass.shade, kGrass.base, kGrass.shade});
  const Rgba petals[] = {kWhite, Hex(0xF6D84A), Hex(0xF08AB8)};
  for (int i = 0; i < 90; ++i) {
    const int x = int(Hash(i, 0, 301) % 640), y = 364 + int(Hash(i, 1, 301) % 116);
    c.Set(x, y, petals[Hash(i, 2, 301) % 3]);
    c.Set(x, y + 1, kGrass.dark);
  }
  Place(c, StripFrame(DrawHeroAttack(4), 4), 3, kHeroFeetX, kHeroFeetY, 320, 446);
  Title(c, "Victory!", 24, 40, Hex(0xFFF2A0), Hex(0xC88018));
  const Rgba glow = Hex(0xFFF4D8), shadow = Hex(0x1A2A18);
  const Rgba ink = Hex(0x2A1E48);
  Caption(c, "The Mire King is broken. The fen drains,", 320, 134, 19, ink, &glow);
  Caption(c, "and the sun rises over Mirefell again.", 320, 160, 19, ink, &glow);
  Caption(c, "Press Enter", 540, 448, 17, kWhite, &shadow, kSerifBoldFont);
  return c;
}

}  // namespace

Canvas DrawCover() { return DrawCoverPicture(); }
Canvas DrawStory() { return DrawStoryPicture(); }
Canvas DrawDefeat() { return DrawDefeatPicture(); }
Canvas DrawVictory() { return DrawVictoryPicture(); }
