// The boss: the Mire King, a hulking golem of mossy stone with a crude gold crown and a
// glowing crack in its chest, twice the hero's bulk. It faces the viewer.
//
// Walking: one heavy stride cycle of 12 frames, the shoulders rolling against the legs.
// Attacking: both fists rise over the head, smash the ground in front, and a ring of dust and
// stones bursts out before it straightens again.
#include <algorithm>
#include <cmath>

#include "tools/assetgen/figure.h"
#include "tools/assetgen/palette.h"
#include "tools/assetgen/pictures.h"

namespace {

using namespace palette;

constexpr float kPi = 3.14159265f;
constexpr float kHipHeight = 26, kThigh = 13, kShin = 12, kHipSide = 10;
constexpr float kShoulderRise = 32, kShoulderSide = 24;
constexpr float kUpperArm = 13, kForearm = 12;

struct BossPose {
  float legSwing[2];   // left, right; radians, forward positive
  float kneeBend[2];
  float armRaise[2];   // radians from hanging (0) through forward (pi/2) to overhead
  float elbowBend;     // radians
  float armsIn;        // pixels the hands come toward the middle
  float roll;          // pixels the left shoulder rises over the right
  float stoop;         // pixels the chest leans toward the viewer
  float sway;          // pixels the body shifts to the right of the screen
  float dust = -1;     // 0..1 while the shock of the blow spreads; below 0 none
};

Vec2 P(Vec3 v) { return Project(v, kCreatureFeetX, kCreatureFeetY); }

struct Limb {
  Vec3 root, joint, end;
};

Limb Swing(const Facing& f, Vec3 root, float angle, float bend, float first, float second,
           float inward) {
  Limb l;
  l.root = root;
  l.joint = f.At(root, first * std::sin(angle), inward * 0.5f, -first * std::cos(angle));
  const float a2 = angle + bend;
  l.end = f.At(l.joint, second * std::sin(a2), inward * 0.5f, -second * std::cos(a2));
  return l;
}

void DrawCrownedHead(Canvas& c, Vec3 centre) {
  const Vec2 h = P(centre);
  Ball(c, h, 9, 8, kGolem);
  // Brow ridge over the eyes.
  FillRect(c, int(h.x) - 6, int(h.y) - 3, int(h.x) + 7, int(h.y) - 1, kGolem.shade);
  for (int side : {-1, 1}) {
    const int ex = int(h.x) + side * 4;
    FillRect(c, ex - 1, int(h.y) - 1, ex + 2, int(h.y) + 1, kGlow.base);
    c.Set(ex, int(h.y) - 1, kGlow.light);
  }
  // A jagged mouth.
  for (int k = -3; k <= 3; ++k) c.Set(int(h.x) + k, int(h.y) + 4 + (k & 1), kGolem.dark);
  // Crown: a band and three spikes.
  const int top = int(h.y) - 8;
  FillRect(c, int(h.x) - 7, top - 1, int(h.x) + 8, top + 2, kGold.base);
  FillRect(c, int(h.x) - 7, top + 1, int(h.x) + 8, top + 2, kGold.shade);
  for (int k = -1; k <= 1; ++k) {
    const float x = h.x + float(k) * 5.5f;
    FillPolygon(c, {{x - 2.5f, float(top)}, {x, float(top) - 6}, {x + 2.5f, float(top)}},
                kGold.base);
    c.Set(int(x) - 1, top - 2, kGold.light);
  }
  c.Set(int(h.x), top, Hex(0xE04040));  // a red stone
}

void DrawChest(Canvas& c, Vec3 chest, Vec3 pelvis) {
  Ball(c, P(pelvis), 15, 9, kGolem);
  Ball(c, P(chest), 25, 18, kGolem);
  // Moss over the chest and a glowing crack down its middle.
  const Vec2 m = P(chest);
  FillEllipse(c, m.x - 10, m.y - 11, 6, 3, kMoss.base);
  FillEllipse(c, m.x - 11, m.y - 12, 3, 1.5f, kMoss.light);
  FillEllipse(c, m.x + 12, m.y + 6, 4, 2, kMoss.shade);
  const Vec2 crack[] = {{m.x + 1, m.y - 8}, {m.x - 2, m.y - 3}, {m.x + 2, m.y + 2},
                        {m.x - 1, m.y + 8}};
  for (int k = 0; k < 3; ++k) {
    Line(c, int(crack[k].x), int(crack[k].y), int(crack[k + 1].x), int(crack[k + 1].y),
         kGlow.base);
    Line(c, int(crack[k].x) + 1, int(crack[k].y), int(crack[k + 1].x) + 1,
         int(crack[k + 1].y), kGlow.shade);
  }
}

void AddArm(PartList& parts, const Limb& arm) {
  parts.Add((arm.joint.y + arm.end.y) / 2 - 0.1f, [arm](Canvas& c) {
    Ball(c, P(arm.root), 11, 10, kGolem);
    FillEllipse(c, P(arm.root).x, P(arm.root).y - 6, 6, 2.5f, kMoss.base);
    Rod(c, P(arm.root), P(arm.joint), 7.5f, kGolem);
    Rod(c, P(arm.joint), P(arm.end), 8.5f, kGolem);
    const Vec2 fist = P(arm.end);
    Ball(c, fist, 9.5f, 9, kGolem);
    // Knuckles: three seams across the front of the fist.
    for (int k = -1; k <= 1; ++k) {
      const int x = int(fist.x) + 3 * k;
      Line(c, x, int(fist.y) + 2, x, int(fist.y) + 5, kGolem.dark);
    }
  });
}

void AddLeg(PartList& parts, const Limb& leg) {
  parts.Add(leg.root.y + 4, [leg](Canvas& c) {
    Rod(c, P(leg.root), P(leg.joint), 7.5f, kGolem);
    Rod(c, P(leg.joint), P(leg.end), 8, kGolem);
    Ball(c, P(leg.end + Vec3{0, -3, -2}), 9, 5, kGolem);
  });
}

// The blow's shock: a dust ring on the ground and stones thrown out of it.
void DrawShock(Canvas& frame, float t) {
  const float cx = kCreatureFeetX, cy = kCreatureFeetY + 6;
  const float r = 14 + 34 * t;
  Canvas ring(kFrameSize, kFrameSize);
  DitherEllipse(ring, cx, cy, r, r * 0.32f, Hex(0xA89C84));
  DitherEllipse(ring, cx, cy, r - 4, r * 0.32f - 2, kClear);
  frame.Stamp(ring, 0, 0);
  Canvas stones(kFrameSize, kFrameSize);
  for (int k = 0; k < 5; ++k) {
    const float a = 0.4f + 0.55f * float(k);
    const float x = cx + std::cos(a + kPi * 0.1f) * (10 + 30 * t) * (k % 2 ? 1 : -1);
    const float y = cy - 4 - 26 * t * (1 - t) * 2 - float(k % 3) * 2;
    ShadeEllipse(stones, x, y, 2.5f, 2, kStone);
  }
  StampOutlined(frame, stones, kInk);
}

void DrawBossFrame(Canvas& frame, const BossPose& pose) {
  const Facing f = FacingOf(3);
  const Vec3 probe{0, 0, kHipHeight};
  float lowest = 1e9f;
  for (int side = 0; side < 2; ++side) {
    const Limb l = Swing(f, f.At(probe, 0, side ? kHipSide : -kHipSide, 0),
                         pose.legSwing[side], -pose.kneeBend[side], kThigh, kShin, 0);
    lowest = std::min(lowest, l.end.z);
  }
  const Vec3 pelvis{pose.sway, 0, kHipHeight - lowest + 3};

  DitherEllipse(frame, kCreatureFeetX, kCreatureFeetY, 30, 8, kShadow);
  if (pose.dust >= 0) DrawShock(frame, pose.dust);

  PartList parts;
  for (int side = 0; side < 2; ++side) {
    AddLeg(parts, Swing(f, f.At(pelvis, 0, side ? kHipSide : -kHipSide, 0),
                        pose.legSwing[side], -pose.kneeBend[side], kThigh, kShin, 0));
  }
  const Vec3 chest = f.At(pelvis, pose.stoop, 0, 20 - pose.stoop * 0.4f);
  parts.Add(0, [=](Canvas& c) { DrawChest(c, chest, pelvis); });
  const Vec3 head = f.At(chest, 3 + pose.stoop * 0.3f, 0, 17);
  parts.Add(-0.5f, [=](Canvas& c) { DrawCrownedHead(c, head); });
  for (int side = 0; side < 2; ++side) {
    const float s = side ? 1.0f : -1.0f;  // right, left
    const Vec3 shoulder =
        f.At(pelvis, pose.stoop, s * kShoulderSide, kShoulderRise - s * pose.roll * 0.5f);
    AddArm(parts, Swing(f, shoulder, pose.armRaise[side], pose.elbowBend, kUpperArm, kForearm,
                        -s * pose.armsIn));
  }
  Canvas figure(kFrameSize, kFrameSize);
  parts.DrawAll(figure);
  StampOutlined(frame, figure, kInk);
}

BossPose Stride(int i) {
  const float phase = 2 * kPi * float(i) / 12;
  const float s = std::sin(phase), c = std::cos(phase);
  BossPose p{};
  p.legSwing[0] = 0.38f * s;
  p.legSwing[1] = -0.38f * s;
  p.kneeBend[0] = 0.1f + 0.6f * std::max(0.0f, c);
  p.kneeBend[1] = 0.1f + 0.6f * std::max(0.0f, -c);
  p.armRaise[0] = 0.15f - 0.35f * s;
  p.armRaise[1] = 0.15f + 0.35f * s;
  p.elbowBend = 0.35f;
  p.roll = 3 * s;
  p.stoop = 2;
  p.sway = 2 * s;
  p.armsIn = -5;
  return p;
}

BossPose Smash(int i) {
  constexpr float raise[] = {0.2f, 0.9f, 1.8f, 2.5f, 2.75f, 2.8f, 1.1f, 1.0f, 0.9f, 0.7f, 0.5f, 0.3f};
  constexpr float bend[] = {0.35f, 0.5f, 0.8f, 1.0f, 1.2f, 1.2f, 0.2f, 0.25f, 0.3f, 0.35f, 0.35f, 0.35f};
  constexpr float stoop[] = {2, 1, 0, -2, -3, -3, 9, 9, 8, 6, 4, 2};
  constexpr float dust[] = {-1, -1, -1, -1, -1, -1, 0, 0.25f, 0.5f, 0.75f, 1, -1};
  BossPose p{};
  // A deep squat behind the blow: thighs forward, knees folded.
  constexpr float squat[] = {0, 0, 0, 0, 0, 0, 1, 1, 0.9f, 0.7f, 0.4f, 0.1f};
  p.legSwing[0] = 0.2f + 0.5f * squat[i];
  p.legSwing[1] = -0.15f + 0.6f * squat[i];
  p.kneeBend[0] = 0.2f + 1.0f * squat[i];
  p.kneeBend[1] = 0.2f + 1.0f * squat[i];
  p.armRaise[0] = p.armRaise[1] = raise[i];
  p.elbowBend = bend[i];
  p.armsIn = i >= 2 && i <= 8 ? 14 : 4;
  p.stoop = stoop[i];
  p.dust = dust[i];
  return p;
}

}  // namespace

Canvas DrawBoss(bool attacking) {
  return DrawStrip(kActionFrames, [attacking](Canvas& frame, int i) {
    DrawBossFrame(frame, attacking ? Smash(i) : Stride(i));
  });
}
