// The tile picture: floors in rows 0 and 1, obstacles in row 2.
//
// A floor fills the cell's 64 x 32 diamond, top vertex (64, 96), and nothing else, so that
// neighbouring cells meet without gaps or overlaps. An obstacle stands on the diamond's centre
// (64, 112) and rises toward the top of its frame; it may reach past its own diamond, as trees
// do, since obstacles are drawn after every floor, from the back of the map to the front.
#include <cmath>
#include <functional>

#include "tools/assetgen/draw.h"
#include "tools/assetgen/palette.h"
#include "tools/assetgen/pictures.h"

namespace {

using namespace palette;

constexpr int kColumns = 8, kRows = 3;
constexpr float kFootX = 64, kFootY = 112;  // centre of the floor diamond

// Position of a pixel centre in the cell: a runs along the grid's x (down-right on screen), b
// along its y (down-left); both are 0..1 inside the diamond.
struct CellPoint {
  float a, b;
};

CellPoint ToCell(int x, int y) {
  const float dx = (float(x) + 0.5f - 64) / 32, dy = (float(y) + 0.5f - 96) / 16;
  return CellPoint{(dx + dy) / 2, (dy - dx) / 2};
}

bool InDiamond(int x, int y) {
  const CellPoint p = ToCell(x, y);
  return p.a >= 0 && p.a <= 1 && p.b >= 0 && p.b <= 1;
}

// Calls paint(x, y, cell point) for every pixel of the floor diamond.
void ForFloor(const std::function<void(int, int, CellPoint)>& paint) {
  for (int y = 96; y < 128; ++y) {
    for (int x = 32; x < 96; ++x) {
      if (InDiamond(x, y)) paint(x, y, ToCell(x, y));
    }
  }
}

// Ground with a sprinkling of darker and lighter pixels.
void SpeckledFloor(Canvas& f, const Ramp& ramp, uint32_t seed, int darkIn, int lightIn) {
  ForFloor([&](int x, int y, CellPoint) {
    const uint32_t h = Hash(x, y, seed) % 100;
    Rgba c = ramp.base;
    if (int(h) < darkIn) c = ramp.shade;
    else if (int(h) >= 100 - lightIn) c = ramp.light;
    f.Set(x, y, c);
  });
}

// Tufts: a light pixel above a shade one, scattered over the floor.
void Tufts(Canvas& f, const Ramp& ramp, uint32_t seed, int count) {
  for (int i = 0; i < count; ++i) {
    const int x = 40 + int(Hash(i, 1, seed) % 48), y = 100 + int(Hash(i, 2, seed) % 26);
    if (!InDiamond(x, y) || !InDiamond(x - 1, y - 1) || !InDiamond(x + 1, y - 1)) continue;
    f.Set(x, y, ramp.shade);
    f.Set(x - 1, y - 1, ramp.light);
    f.Set(x + 1, y - 1, ramp.light);
    f.Set(x, y - 1, ramp.shade);
  }
}

void Grass(Canvas& f) {
  SpeckledFloor(f, kGrass, 11, 12, 6);
  Tufts(f, kGrass, 12, 16);
}

void FlowerGrass(Canvas& f) {
  Grass(f);
  const Rgba petals[] = {kWhite, Hex(0xF6D84A), Hex(0xF08AB8), Hex(0x9CB8F8)};
  for (int i = 0; i < 9; ++i) {
    const int x = 42 + int(Hash(i, 3, 21) % 44), y = 101 + int(Hash(i, 4, 21) % 22);
    if (!InDiamond(x - 1, y) || !InDiamond(x + 1, y) || !InDiamond(x, y + 1)) continue;
    const Rgba petal = petals[Hash(i, 5, 21) % 4];
    f.Set(x - 1, y, petal);
    f.Set(x + 1, y, petal);
    f.Set(x, y - 1, petal);
    f.Set(x, y + 1, petal);
    f.Set(x, y, Hex(0xE0A030));
  }
}

void Pebbles(Canvas& f, const Ramp& ramp, uint32_t seed, int count) {
  for (int i = 0; i < count; ++i) {
    const int x = 38 + int(Hash(i, 1, seed) % 52), y = 99 + int(Hash(i, 2, seed) % 28);
    if (!InDiamond(x, y) || !InDiamond(x + 1, y + 1)) continue;
    f.Set(x, y, ramp.light);
    f.Set(x + 1, y, ramp.base);
    f.Set(x, y + 1, ramp.shade);
    f.Set(x + 1, y + 1, ramp.dark);
  }
}

void DirtPath(Canvas& f) {
  SpeckledFloor(f, kDirt, 31, 14, 8);
  Pebbles(f, kStone, 32, 7);
}

void Sand(Canvas& f) {
  ForFloor([&](int x, int y, CellPoint p) {
    // Wind ripples: faint bands across the cell.
    const float band = std::sin((p.a * 3 + p.b * 1.2f) * 6.2832f);
    Rgba c = kSand.base;
    if (band > 0.86f) c = kSand.light;
    if (Hash(x, y, 41) % 100 < 8) c = kSand.shade;
    f.Set(x, y, c);
  });
}

// Square slabs of the iso grid, n to a side, with joints of width `joint` (in slab units) and
// lit near edges; each slab takes one of the ramp's middle tones.
void Slabs(Canvas& f, const Ramp& ramp, int n, float joint, uint32_t seed) {
  ForFloor([&](int x, int y, CellPoint p) {
    const float sa = p.a * float(n), sb = p.b * float(n);
    const int ia = std::min(int(sa), n - 1), ib = std::min(int(sb), n - 1);
    const float fa = sa - float(ia), fb = sb - float(ib);
    const bool alt = Hash(ia, ib, seed) % 3 == 0;
    Rgba c = alt ? ramp.shade : ramp.base;
    if (fa < joint || fb < joint) c = ramp.light;  // edges toward the light
    if (fa > 1 - joint || fb > 1 - joint) c = ramp.dark;   // joints
    if (Hash(x, y, seed + 1) % 100 < 5) c = ramp.shade;
    f.Set(x, y, c);
  });
}

void Paving(Canvas& f) { Slabs(f, kStone, 2, 0.08f, 51); }

// Boards running along the grid's y, with gaps to `gap` between them and nail heads.
void Boards(Canvas& f, const Ramp& wood, int boards, Rgba gap, uint32_t seed) {
  ForFloor([&](int x, int y, CellPoint p) {
    const float s = p.a * float(boards);
    const int board = std::min(int(s), boards - 1);
    const float across = s - float(board);
    Rgba c = Hash(board, 0, seed) % 2 ? wood.base : wood.shade;
    if (across < 0.16f) c = wood.light;
    if (across > 0.86f) c = gap;
    if (std::fabs(p.b - 0.5f) < 0.03f && std::fabs(across - 0.5f) < 0.12f) c = wood.dark;
    if (Hash(x, y, seed) % 100 < 6 && across <= 0.86f) c = wood.shade;
    f.Set(x, y, c);
  });
}

void Bridge(Canvas& f) { Boards(f, kPlanks, 4, kPlanks.dark, 61); }

void Mire(Canvas& f) {
  SpeckledFloor(f, kMire, 71, 16, 6);
  // Puddles catching the sky.
  const Vec2 puddles[] = {{52, 108}, {74, 116}};
  for (const Vec2& c : puddles) {
    for (int y = int(c.y) - 3; y <= int(c.y) + 3; ++y) {
      for (int x = int(c.x) - 7; x <= int(c.x) + 7; ++x) {
        const float ox = (float(x) + 0.5f - c.x) / 6.5f, oy = (float(y) + 0.5f - c.y) / 2.8f;
        if (ox * ox + oy * oy > 1 || !InDiamond(x, y)) continue;
        f.Set(x, y, oy < -0.3f && ox < 0.2f ? kMirePool.light : kMirePool.base);
      }
    }
  }
}

// Open water: bands of darker and lighter tone with short glints.
void StillWater(Canvas& f, const Ramp& ramp, uint32_t seed) {
  ForFloor([&](int x, int y, CellPoint p) {
    const float wave = std::sin((p.a - p.b) * 9.42f + float(y) * 0.9f);
    Rgba c = wave > 0.55f ? ramp.base : ramp.shade;
    const uint32_t h = Hash(x / 3, y, seed) % 100;
    if (h < 4) c = ramp.light;
    f.Set(x, y, c);
  });
}

void Water(Canvas& f) { StillWater(f, kWater, 81); }
void MirePool(Canvas& f) {
  StillWater(f, kMirePool, 82);
  const Vec2 bubbles[] = {{56, 110}, {71, 119}, {66, 104}};
  for (const Vec2& b : bubbles) {
    f.Set(int(b.x), int(b.y), kMirePool.light);
    f.Set(int(b.x) + 1, int(b.y), kMirePool.light);
    f.Set(int(b.x), int(b.y) + 1, kMirePool.base);
  }
}

void MossPaving(Canvas& f) {
  Slabs(f, kStone, 2, 0.08f, 91);
  ForFloor([&](int x, int y, CellPoint p) {
    const float blob = std::sin(p.a * 7.1f + 1.3f) * std::sin(p.b * 5.3f + 0.4f);
    const uint32_t h = Hash(x, y, 92) % 100;
    if (blob > 0.35f || (blob > 0.15f && h < 50)) {
      f.Set(x, y, h < 15 ? kMoss.light : (h < 70 ? kMoss.base : kMoss.shade));
    }
  });
}

// Big flagstones with soft joints, so the arena reads as one floor rather than a grid.
void ArenaStone(Canvas& f) {
  const Ramp soft{kWarmStone.shade, kWarmStone.shade, kWarmStone.base, Hex(0xA49482)};
  Slabs(f, soft, 1, 0.04f, 101);
}

// Arena stone with a glowing ring and a rune in it; a block of them reads as one seal.
void ArenaRune(Canvas& f) {
  ArenaStone(f);
  auto at = [](float a, float b) { return Vec2{64 + 32 * (a - b), 96 + 16 * (a + b)}; };
  ForFloor([&](int x, int y, CellPoint) {
    const float ox = (float(x) + 0.5f - 64) / 22, oy = (float(y) + 0.5f - 112) / 11;
    const float d = ox * ox + oy * oy;
    if (d <= 1 && d > 0.7f) f.Set(x, y, oy < 0 ? kRune.light : kRune.base);
    else if (d <= 0.7f) f.Set(x, y, kRune.dark);
  });
  // The rune: an arrow head over a bar, drawn in cell space so it lies flat.
  const Vec2 tip = at(0.32f, 0.32f), left = at(0.5f, 0.32f), right = at(0.32f, 0.5f);
  const Vec2 foot = at(0.68f, 0.68f);
  Line(f, int(tip.x), int(tip.y), int(foot.x), int(foot.y), kRune.light);
  Line(f, int(left.x), int(left.y), int(tip.x), int(tip.y), kRune.light);
  Line(f, int(right.x), int(right.y), int(tip.x), int(tip.y), kRune.light);
  const Vec2 bar0 = at(0.62f, 0.42f), bar1 = at(0.42f, 0.62f);
  Line(f, int(bar0.x), int(bar0.y), int(bar1.x), int(bar1.y), kRune.light);
}

void DryGrass(Canvas& f) {
  SpeckledFloor(f, kDryGrass, 111, 14, 8);
  Tufts(f, kDryGrass, 112, 14);
}

void Gravel(Canvas& f) {
  SpeckledFloor(f, kStone, 121, 25, 12);
  Pebbles(f, kStone, 122, 18);
}

void Boardwalk(Canvas& f) { Boards(f, kBark, 3, kMire.dark, 131); }

// --- Obstacles, drawn on a clear layer that gets its outline before it joins the picture.

void Oak(Canvas& f) {
  DitherEllipse(f, kFootX, kFootY + 1, 26, 11, kShadow);
  Canvas tree(kFrameSize, kFrameSize);
  ShadeCapsule(tree, {kFootX - 6, kFootY + 2}, {kFootX - 1, kFootY - 6}, 3.5f, kBark);
  ShadeCapsule(tree, {kFootX + 6, kFootY + 2}, {kFootX + 1, kFootY - 6}, 3.5f, kBark);
  ShadeCapsule(tree, {kFootX, kFootY}, {kFootX, 64}, 6, kBark);
  ShadeCapsule(tree, {kFootX, 78}, {kFootX + 14, 58}, 3, kBark);
  // Canopy: clumps from the back to the front.
  const struct { float x, y, r; } clumps[] = {
      {50, 34, 15}, {78, 32, 15}, {64, 24, 16}, {38, 50, 14}, {90, 50, 14},
      {54, 52, 16}, {76, 54, 16}, {64, 40, 17}, {46, 64, 11}, {82, 66, 11}};
  for (const auto& c : clumps) ShadeEllipse(tree, c.x, c.y, c.r, c.r * 0.86f, kLeaves);
  // A few bright leaves on the lit side.
  for (int i = 0; i < 28; ++i) {
    const int x = 36 + int(Hash(i, 1, 141) % 56), y = 14 + int(Hash(i, 2, 141) % 50);
    if (tree.Get(x, y) == kLeaves.base || tree.Get(x, y) == kLeaves.light) {
      tree.Set(x, y, kLeaves.light);
      tree.Set(x + 1, y + 1, kLeaves.shade);
    }
  }
  StampOutlined(f, tree, kInk);
}

void Pine(Canvas& f) {
  DitherEllipse(f, kFootX, kFootY + 1, 20, 9, kShadow);
  Canvas tree(kFrameSize, kFrameSize);
  ShadeCapsule(tree, {kFootX, kFootY}, {kFootX, 86}, 4, kBark);
  // Tiers from the bottom up, each a skirt with a ragged hem.
  const struct { float top, bottom, half; } tiers[] = {
      {50, 102, 30}, {34, 80, 24}, {18, 60, 18}, {4, 40, 11}};
  for (const auto& t : tiers) {
    std::vector<Vec2> skirt{{kFootX, t.top}};
    const int teeth = 6;
    for (int i = 0; i <= teeth; ++i) {
      const float u = float(i) / teeth;
      const float x = kFootX + t.half - 2 * t.half * u;
      const float droop = std::sin(u * 3.1416f) * 4;
      skirt.push_back({x, t.bottom + droop - ((i % 2) ? 4.0f : 0.0f)});
    }
    Canvas tier(kFrameSize, kFrameSize);
    FillPolygon(tier, skirt, kPineNeedles.base);
    // Shade by side: lit on the left, dark on the right and toward the hem.
    for (int y = 0; y < kFrameSize; ++y) {
      for (int x = 0; x < kFrameSize; ++x) {
        if (!tier.Get(x, y).opaque()) continue;
        const float side = (float(x) - kFootX) / t.half;
        const float depth = (float(y) - t.top) / (t.bottom - t.top);
        Rgba c = kPineNeedles.base;
        if (side < -0.35f && depth < 0.8f) c = kPineNeedles.light;
        if (side > 0.25f) c = kPineNeedles.shade;
        if (depth > 0.88f) c = kPineNeedles.dark;
        if (Hash(x, y, 151) % 100 < 7) c = kPineNeedles.shade;
        tier.Set(x, y, c);
      }
    }
    InnerRim(tier, kPineNeedles.dark);
    tree.Stamp(tier, 0, 0);
  }
  StampOutlined(f, tree, kInk);
}

void Boulder(Canvas& f) {
  DitherEllipse(f, kFootX + 2, kFootY + 2, 26, 10, kShadow);
  Canvas rock(kFrameSize, kFrameSize);
  ShadeEllipse(rock, 76, 104, 14, 11, kStone);
  ShadeEllipse(rock, 60, 96, 20, 17, kStone);
  ShadeEllipse(rock, 50, 108, 12, 8, kStone);
  ShadeEllipse(rock, 70, 112, 12, 6, kStone);
  // Cracks and a fleck of lichen.
  Line(rock, 56, 86, 62, 96, kStone.dark);
  Line(rock, 62, 96, 60, 104, kStone.dark);
  Line(rock, 72, 100, 80, 106, kStone.dark);
  FillEllipse(rock, 50, 92, 3, 2, kMoss.light);
  FillEllipse(rock, 46, 94, 2, 1.5f, kMoss.base);
  StampOutlined(f, rock, kInk);
}

void Bush(Canvas& f) {
  DitherEllipse(f, kFootX, kFootY + 1, 24, 9, kShadow);
  Canvas bush(kFrameSize, kFrameSize);
  const struct { float x, y, r; } clumps[] = {
      {52, 96, 12}, {76, 96, 12}, {64, 88, 13}, {46, 106, 10}, {82, 106, 10}, {64, 104, 13}};
  for (const auto& c : clumps) ShadeEllipse(bush, c.x, c.y, c.r, c.r * 0.85f, kLeaves);
  const Vec2 berries[] = {{56, 92}, {70, 86}, {78, 100}, {50, 104}, {66, 106}, {84, 108}};
  for (const Vec2& b : berries) {
    bush.Set(int(b.x), int(b.y), Hex(0xD83048));
    bush.Set(int(b.x) + 1, int(b.y), Hex(0x8C1830));
    bush.Set(int(b.x), int(b.y) - 1, Hex(0xFF8A8A));
  }
  StampOutlined(f, bush, kInk);
}

// A block of masonry over the whole diamond, built column by column so its height can vary:
// each column shows the top face, then the side face that turns toward it.
void RuinedWall(Canvas& f) {
  Canvas wall(kFrameSize, kFrameSize);
  auto height = [](int x) {
    if (x >= 74 && x < 84) return 30;
    if (x >= 84) return 22;
    if (x < 40) return 34;
    return 40;
  };
  for (int x = 32; x < 96; ++x) {
    const float dx = std::fabs(float(x) + 0.5f - 64);
    const int topEdge = int(std::ceil(96 + dx / 2 - 0.5f));    // diamond's upper edge
    const int bottomEdge = int(std::floor(128 - dx / 2 - 0.5f));  // and lower edge
    const int h = height(x);
    const bool leftFace = x < 64;
    const Ramp& side = kStone;
    for (int y = topEdge - h; y <= bottomEdge - h; ++y) {
      Rgba c = kStone.light;
      if (Hash(x, y, 161) % 100 < 10) c = kStone.base;
      if (Hash(x / 3, y / 2, 162) % 100 < 22) c = kMoss.base;
      wall.Set(x, y, c);
    }
    for (int y = bottomEdge - h + 1; y <= bottomEdge; ++y) {
      // Brick courses 6 pixels high along the face, bricks 9 long, every other course offset.
      const int down = bottomEdge - y;
      const int course = down / 6;
      const int along = int(dx) + (course % 2) * 4;
      Rgba c = leftFace ? side.base : side.shade;
      if (down % 6 == 5 || along % 9 == 0) c = leftFace ? side.shade : side.dark;
      if (Hash(x, y, 163) % 100 < 6) c = side.dark;
      wall.Set(x, y, c);
    }
  }
  // A crack down the right face.
  Line(wall, 76, 98, 79, 106, kStone.dark);
  Line(wall, 79, 106, 77, 112, kStone.dark);
  StampOutlined(f, wall, kInk);
}

// A fluted column on a square plinth, snapped off at a slant.
void BrokenPillar(Canvas& f) {
  DitherEllipse(f, kFootX + 4, kFootY + 3, 24, 9, kShadow);
  Canvas pillar(kFrameSize, kFrameSize);
  // Plinth: a low block on the inner part of the diamond, top face 6 pixels up.
  constexpr float kPlinthHalf = 22, kPlinthRise = 6;
  for (int x = int(kFootX - kPlinthHalf); x < int(kFootX + kPlinthHalf); ++x) {
    const float dx = std::fabs(float(x) + 0.5f - kFootX);
    const int top = int(kFootY - (kPlinthHalf - dx) / 2 - kPlinthRise);
    const int bottom = int(kFootY + (kPlinthHalf - dx) / 2);
    for (int y = top; y <= bottom; ++y) {
      const bool topFace = y <= bottom - int(kPlinthRise);
      Rgba c = topFace ? kWarmStone.light : (x < 64 ? kWarmStone.base : kWarmStone.shade);
      pillar.Set(x, y, c);
    }
  }
  const float rx = 13, ry = 6.5f, baseY = kFootY - kPlinthRise;
  for (int x = int(kFootX - rx); x < int(kFootX + rx); ++x) {
    const float u = (float(x) + 0.5f - kFootX) / rx;
    const float bottom = baseY + ry * std::sqrt(std::max(0.0f, 1 - u * u));
    const float top = 50 + 12 * u + float(Hash(x, 0, 171) % 4);
    for (int y = int(top); y <= int(bottom); ++y) {
      Rgba c = Tone(kWarmStone, ToneIndex(u, 0, std::sqrt(std::max(0.0f, 1 - u * u))));
      if ((x - int(kFootX - rx)) % 5 == 4) c = kWarmStone.shade;  // flutes
      if (y < int(top) + 2) c = kWarmStone.light;                   // broken face
      pillar.Set(x, y, c);
    }
  }
  FillEllipse(pillar, 58, 84, 2, 3, kMoss.base);
  FillEllipse(pillar, 70, 96, 2, 1.5f, kMoss.light);
  StampOutlined(f, pillar, kInk);
}

// Rings on water: mostly clear, so the water floor shows; the obstacle keeps walkers out.
void Ripples(Canvas& f) {
  const Rgba ring = Hex(0xB4DCEC);
  const struct { float x, y, r; } rings[] = {{54, 108, 7}, {74, 118, 5}};
  for (const auto& c : rings) {
    for (int x = int(c.x - c.r); x <= int(c.x + c.r); ++x) {
      const float u = (float(x) + 0.5f - c.x) / c.r;
      if (std::fabs(u) > 1) continue;
      const float v = std::sqrt(1 - u * u) * c.r / 2.2f;
      f.Set(x, int(c.y - v), ring);  // the far half of the ring catches the light
      if (std::fabs(u) > 0.7f) f.Set(x, int(c.y + v), kWater.light);
    }
  }
  f.Set(66, 104, kWhite);
  f.Set(67, 104, ring);
}

void DeadBranch(Canvas& tree, Vec2 from, float angle, float length, float r, int depth,
                uint32_t seed) {
  const Vec2 to{from.x + std::sin(angle) * length, from.y - std::cos(angle) * length};
  ShadeCapsule(tree, from, to, r, kDeadWood);
  if (depth == 0) return;
  const float spread = 0.45f + float(Hash(depth, 0, seed) % 30) / 100;
  DeadBranch(tree, to, angle - spread, length * 0.68f, std::max(1.0f, r * 0.62f), depth - 1,
             seed * 3 + 1);
  DeadBranch(tree, to, angle + spread * 0.8f, length * 0.62f, std::max(1.0f, r * 0.6f),
             depth - 1, seed * 5 + 2);
}

void DeadTree(Canvas& f) {
  DitherEllipse(f, kFootX, kFootY + 1, 18, 7, kShadow);
  Canvas tree(kFrameSize, kFrameSize);
  ShadeCapsule(tree, {kFootX - 8, kFootY + 2}, {kFootX, kFootY - 8}, 3, kDeadWood);
  ShadeCapsule(tree, {kFootX + 7, kFootY + 3}, {kFootX, kFootY - 8}, 3, kDeadWood);
  ShadeCapsule(tree, {kFootX, kFootY}, {kFootX + 2, 74}, 6, kDeadWood);
  DeadBranch(tree, {kFootX + 2, 76}, -0.35f, 26, 4, 3, 7);
  DeadBranch(tree, {kFootX + 2, 80}, 0.7f, 22, 3.5f, 2, 9);
  // A hollow in the trunk.
  FillEllipse(tree, 63, 94, 2, 3, kMirePool.dark);
  StampOutlined(f, tree, kInk);
}

struct TileFrame {
  int value;
  void (*draw)(Canvas&);
};

constexpr TileFrame kTileFrames[] = {
    {1, Grass},       {2, FlowerGrass}, {3, DirtPath},     {4, Sand},
    {5, Paving},      {6, Bridge},      {7, Mire},         {16, Water},
    {17, MirePool},   {18, MossPaving}, {19, ArenaStone},  {20, ArenaRune},
    {21, DryGrass},   {22, Gravel},     {23, Boardwalk},   {32, Oak},
    {33, Pine},       {34, Boulder},    {35, Bush},        {36, RuinedWall},
    {37, BrokenPillar}, {38, Ripples},  {39, DeadTree},
};

}  // namespace

Canvas DrawTilePicture() {
  Canvas picture(kColumns * kFrameSize, kRows * kFrameSize);
  // The lookup counts 16 columns of 64 pixels: value v sits at column v mod 16, row v / 16.
  for (const TileFrame& t : kTileFrames) {
    Canvas frame(kFrameSize, kFrameSize);
    t.draw(frame);
    picture.Stamp(frame, (t.value % 16) * kFrameSize, (t.value / 16) * kFrameSize);
  }
  return picture;
}
