// The three kinds of enemy: the blue slime, the flower and the mud slime. They show no facing:
// each strip serves every direction, so they face the viewer and move in place.
//
// The slimes hop or ooze by squash and stretch; the flower sways on a stem and shuffles on
// its roots. Each attack gathers, strikes toward the viewer and recovers within 12 frames.
#include <algorithm>
#include <cmath>

#include "tools/assetgen/draw.h"
#include "tools/assetgen/figure.h"
#include "tools/assetgen/palette.h"
#include "tools/assetgen/pictures.h"

namespace {

using namespace palette;

constexpr float kPi = 3.14159265f;
constexpr float kGroundY = kCreatureFeetY;
constexpr float kCentreX = kCreatureFeetX;

// --- Slimes: one body, two looks.

struct BlobLook {
  Ramp ramp;
  Rgba eye;          // pupils
  bool glossy;       // a bright highlight, as on the clear blue slime
  bool lumpy;        // lumps on top and drips at the sides, as on mud
};

struct BlobPose {
  float squash = 1;   // > 1 taller and narrower, < 1 flatter and wider
  float lift = 0;     // pixels off the ground
  float mouth = 0;    // 0 a closed smile .. 1 wide open
  bool angry = false;
  float scale = 1;    // nearer the viewer while lunging
  float forward = 0;  // pixels toward the viewer (down the screen)
  float wobble = 0;   // phase of the lumps, radians
};

constexpr float kBlobWidth = 36, kBlobHeight = 27;

void DrawEyes(Canvas& c, float cx, float cy, float spread, Rgba pupil, bool angry) {
  for (int side : {-1, 1}) {
    const int ex = int(cx + float(side) * spread), ey = int(cy);
    FillRect(c, ex - 1, ey - 2, ex + 2, ey + 3, pupil);
    c.Set(ex - 1, ey - 2, kWhite);
    if (angry) {
      // A brow sloping down toward the middle.
      Line(c, ex + 2 * side, ey - 6, ex - 2 * side, ey - 4, kInk);
    }
  }
}

void DrawBlob(Canvas& frame, const BlobLook& look, const BlobPose& pose) {
  const float w = kBlobWidth * pose.scale / std::pow(pose.squash, 0.6f);
  const float h = kBlobHeight * pose.scale * pose.squash;
  const float base = kGroundY + pose.forward - pose.lift;
  const float cx = kCentreX, cy = base - h * 0.5f;

  DitherEllipse(frame, kCentreX, kGroundY + pose.forward, w * 0.5f * (1 - pose.lift / 40) + 2,
                4.5f, kShadow);
  Canvas body(kFrameSize, kFrameSize);
  // A ball cut flat where it sits, its lower half a little wider.
  for (int y = int(cy - h); y < int(base); ++y) {
    for (int x = int(cx - w); x < int(cx + w); ++x) {
      const float ox = (float(x) + 0.5f - cx) / (w * 0.5f);
      float oy = (float(y) + 0.5f - cy) / (h * 0.5f);
      const float widen = oy > 0 ? 1 + 0.12f * oy : 1;
      const float rx = ox / widen;
      const float d2 = rx * rx + oy * oy;
      if (d2 > 1) continue;
      body.Set(x, y, Tone(look.ramp, ToneIndex(rx, oy, std::sqrt(1 - d2))));
    }
  }
  if (look.lumpy) {
    const struct { float ox, oy, r; } lumps[] = {{-0.45f, -0.55f, 0.22f}, {0.15f, -0.85f, 0.2f},
                                                  {0.55f, -0.45f, 0.18f}};
    for (const auto& l : lumps) {
      const float wob = std::sin(pose.wobble + l.ox * 4) * 1.5f;
      ShadeEllipse(body, cx + l.ox * w * 0.5f, cy + l.oy * h * 0.5f + wob, l.r * w,
                   l.r * w * 0.8f, look.ramp);
    }
    // Drips running down the sides, growing and falling with the wobble.
    for (int side : {-1, 1}) {
      const float x = cx + float(side) * w * 0.36f;
      const float length = 3 + 2 * std::sin(pose.wobble + float(side));
      FillCapsule(body, {x, base - 6}, {x, base - 6 + length}, 1.6f, look.ramp.shade);
    }
  }
  if (look.glossy) {
    FillEllipse(body, cx - w * 0.22f, cy - h * 0.24f, 2.6f, 1.6f, kWhite);
    body.Set(int(cx - w * 0.3f), int(cy - h * 0.06f), look.ramp.light);
  }
  DrawEyes(body, cx, cy - h * 0.04f, w * 0.17f, look.eye, pose.angry);
  const float my = cy + h * 0.2f;
  if (pose.mouth > 0.05f) {
    const float mw = w * 0.14f + w * 0.1f * pose.mouth, mh = 1 + h * 0.16f * pose.mouth;
    FillEllipse(body, cx, my, mw + 1, mh + 1, kInk);
    FillEllipse(body, cx, my, mw, mh, kMouth.shade);
    FillEllipse(body, cx, my + mh * 0.4f, mw * 0.6f, mh * 0.4f, kMouth.light);
  } else {
    Line(body, int(cx) - 2, int(my), int(cx) - 1, int(my) + 1, kInk);
    Line(body, int(cx), int(my) + 1, int(cx) + 2, int(my), kInk);
  }
  StampOutlined(frame, body, kInk);
}

// Droplets thrown up and out to both sides by a landing: t from 0 (impact) to 1.
void Splash(Canvas& frame, const Ramp& ramp, float t, float reach) {
  Canvas drops(kFrameSize, kFrameSize);
  const float angles[] = {0.35f, 0.8f, 1.2f};  // above the horizontal, radians
  for (float a : angles) {
    for (int side : {-1, 1}) {
      const float travel = reach * (0.9f + 0.7f * t);
      const float x = kCentreX + float(side) * travel * std::cos(a);
      const float y = kGroundY - 6 - travel * std::sin(a) * 0.6f + 22 * t * t;
      const float r = 2.3f - 1.1f * t;
      ShadeEllipse(drops, x, y, r, r, ramp);
    }
  }
  StampOutlined(frame, drops, kInk);
}

constexpr BlobLook kBlueLook{kBlueSlime, kEye, true, false};
constexpr BlobLook kMudLook{kMudSlime, Hex(0xF0D040), false, true};

// Hopping: gather, spring up stretched, land squashed.
BlobPose BlueHop(int i) {
  constexpr float squash[] = {1.0f, 0.84f, 0.78f, 1.22f, 1.12f, 1.04f,
                              1.0f, 1.02f, 1.08f, 0.78f, 0.88f, 0.97f};
  BlobPose p;
  p.squash = squash[i];
  if (i >= 3 && i <= 8) p.lift = 11 * std::sin(kPi * (float(i) - 2.4f) / 6.8f);
  return p;
}

// Crouch with a scowl, leap at the viewer mouth open, bite, settle.
BlobPose BlueLunge(int i) {
  constexpr float squash[] = {0.95f, 0.86f, 0.78f, 0.72f, 1.25f, 1.15f,
                              1.05f, 0.8f, 0.86f, 0.92f, 0.97f, 1.0f};
  constexpr float lift[] = {0, 0, 0, 0, 5, 9, 7, 0, 0, 0, 0, 0};
  constexpr float mouth[] = {0, 0, 0.1f, 0.2f, 0.6f, 1.0f, 1.0f, 0.3f, 0.1f, 0, 0, 0};
  constexpr float nearer[] = {0, 0, 0, 0, 0.3f, 0.7f, 1.0f, 1.0f, 0.7f, 0.4f, 0.2f, 0};
  BlobPose p;
  p.squash = squash[i];
  p.lift = lift[i];
  p.mouth = mouth[i];
  p.angry = i < 10;
  p.scale = 1 + 0.15f * nearer[i];
  p.forward = 4 * nearer[i];
  return p;
}

// Oozing: the body swells and sinks while the lumps roll.
BlobPose MudOoze(int i) {
  const float phase = 2 * kPi * float(i) / 12;
  BlobPose p;
  p.squash = 1 + 0.1f * std::sin(phase);
  p.scale = 1.15f;
  p.wobble = phase;
  return p;
}

// Rearing up with a gaping mouth, slamming down flat, mud flying.
BlobPose MudSlam(int i) {
  constexpr float squash[] = {1.0f, 1.1f, 1.25f, 1.4f, 1.5f, 1.45f,
                              0.62f, 0.66f, 0.74f, 0.84f, 0.93f, 1.0f};
  constexpr float mouth[] = {0, 0.2f, 0.5f, 0.8f, 1.0f, 1.0f, 0.2f, 0, 0, 0, 0, 0};
  BlobPose p;
  p.squash = squash[i];
  p.mouth = mouth[i];
  p.angry = true;
  p.scale = 1.15f;
  p.wobble = 2 * kPi * float(i) / 12;
  return p;
}

// --- The flower: a biting bloom on a stem, walking on its roots.

struct FlowerPose {
  float sway = 0;      // pixels the head leans sideways
  float headRise = 0;  // pixels the head sits above its rest
  float nearer = 0;    // 0..1 lunging toward the viewer
  float mouth = 0;     // 0..1
  float flare = 0;     // petals spread, 0..1
  float step = 0;      // -1..1: which root is lifted
};

void DrawLeaf(Canvas& c, Vec2 root, float side, float length, float droop) {
  const Vec2 tip{root.x + side * length, root.y - 4 + droop};
  const Vec2 mid{root.x + side * length * 0.5f, root.y - 7 + droop * 0.5f};
  FillPolygon(c, {root, {mid.x, mid.y - 2}, tip, {mid.x, mid.y + 3}}, kStem.base);
  Line(c, int(root.x), int(root.y), int(tip.x), int(tip.y), kStem.shade);
  c.Set(int(mid.x), int(mid.y) - 1, kStem.light);
}

void DrawFlowerFrame(Canvas& frame, const FlowerPose& pose) {
  DitherEllipse(frame, kCentreX, kGroundY, 16, 4.5f, kShadow);
  Canvas plant(kFrameSize, kFrameSize);
  const float scale = 1 + 0.2f * pose.nearer;
  const Vec2 base{kCentreX, kGroundY - 3};
  const Vec2 head{kCentreX + pose.sway, kGroundY - 40 - pose.headRise + 10 * pose.nearer};
  // Roots as feet, the lifted one drawn higher.
  for (int side : {-1, 1}) {
    const float lifted = std::max(0.0f, float(side) * pose.step) * 5;
    const Vec2 toe{base.x + float(side) * 9, kGroundY - lifted};
    Rod(plant, base, toe, 2, kBark);
    Rod(plant, toe, {toe.x + float(side) * 3, toe.y + 1}, 1.5f, kBark);
  }
  // The stem bends toward the head.
  const Vec2 bend{kCentreX - pose.sway * 0.4f, (base.y + head.y) / 2};
  Rod(plant, base, bend, 2.6f, kStem);
  Rod(plant, bend, head, 2.4f, kStem);
  DrawLeaf(plant, {base.x - 1, base.y - 6}, -1, 14, 2 + pose.step * 2);
  DrawLeaf(plant, {base.x + 1, base.y - 9}, 1, 13, 1 - pose.step * 2);
  // Petals round the head, then the face in the middle.
  const int petals = 8;
  const float reach = (13 + 3 * pose.flare) * scale;
  for (int k = 0; k < petals; ++k) {
    const float a = 2 * kPi * float(k) / petals + 0.2f;
    const Vec2 dir{std::cos(a), std::sin(a) * 0.85f};
    Rod(plant, {head.x + dir.x * 4, head.y + dir.y * 4},
        {head.x + dir.x * reach, head.y + dir.y * reach}, 4.6f * scale, kPetals);
  }
  const float face = 7.5f * scale;
  Ball(plant, head, face, face * 0.92f, kGold);
  DrawEyes(plant, head.x, head.y - face * 0.35f, face * 0.42f, kEye, pose.mouth > 0.3f);
  const float mw = 2 + 3.5f * pose.mouth * scale, mh = 1 + 4 * pose.mouth * scale;
  const Vec2 m{head.x, head.y + face * 0.35f};
  FillEllipse(plant, m.x, m.y, mw + 1, mh + 1, kInk);
  FillEllipse(plant, m.x, m.y, mw, mh, kMouth.shade);
  if (pose.mouth > 0.3f) {
    // Teeth along the top and bottom of the open mouth.
    for (int t = -1; t <= 1; ++t) {
      const int tx = int(m.x) + t * int(mw * 0.6f);
      plant.Set(tx, int(m.y - mh + 1), kWhite);
      plant.Set(tx, int(m.y - mh + 2), kWhite);
      plant.Set(tx, int(m.y + mh - 1), kWhite);
    }
  }
  StampOutlined(frame, plant, kInk);
}

FlowerPose FlowerShuffle(int i) {
  const float phase = 2 * kPi * float(i) / 12;
  FlowerPose p;
  p.sway = 5 * std::sin(phase);
  p.headRise = 1.5f * std::fabs(std::cos(phase));
  p.step = std::sin(phase);
  p.flare = 0.3f + 0.2f * std::sin(2 * phase);
  return p;
}

// Draws back with the petals closing, snaps forward open-mouthed, shakes itself straight.
FlowerPose FlowerBite(int i) {
  constexpr float rise[] = {0, 3, 6, 8, 9, 2, -2, -1, 1, 1, 0.5f, 0};
  constexpr float nearer[] = {0, 0, 0, 0, 0, 0.7f, 1.0f, 0.9f, 0.5f, 0.25f, 0.1f, 0};
  constexpr float mouth[] = {0, 0.2f, 0.4f, 0.6f, 0.8f, 1.0f, 1.0f, 0.4f, 0.1f, 0, 0, 0};
  constexpr float flare[] = {0.3f, 0.1f, 0, 0, 0, 1, 1, 0.8f, 0.6f, 0.4f, 0.3f, 0.3f};
  constexpr float sway[] = {0, -1, -2, -2, -1, 1, 2, 0, -2, 1, 0, 0};
  FlowerPose p;
  p.headRise = rise[i];
  p.nearer = nearer[i];
  p.mouth = mouth[i];
  p.flare = flare[i];
  p.sway = sway[i];
  return p;
}

}  // namespace

Canvas DrawBlueSlime(bool attacking) {
  return DrawStrip(kActionFrames, [attacking](Canvas& frame, int i) {
    DrawBlob(frame, kBlueLook, attacking ? BlueLunge(i) : BlueHop(i));
    if (attacking && i >= 7 && i <= 10) Splash(frame, kBlueSlime, float(i - 7) / 3, 22);
  });
}

Canvas DrawMudSlime(bool attacking) {
  return DrawStrip(kActionFrames, [attacking](Canvas& frame, int i) {
    DrawBlob(frame, kMudLook, attacking ? MudSlam(i) : MudOoze(i));
    if (attacking && i >= 6 && i <= 10) Splash(frame, kMudSlime, float(i - 6) / 4, 30);
  });
}

Canvas DrawFlower(bool attacking) {
  return DrawStrip(kActionFrames, [attacking](Canvas& frame, int i) {
    DrawFlowerFrame(frame, attacking ? FlowerBite(i) : FlowerShuffle(i));
  });
}
