// The hero: a swordsman in a red tunic, posed in three dimensions for each facing so that the
// sword stays in his right hand whichever way he turns.
//
// Walking: two strides of 12 frames; legs swing from the hip and bend at the knee while
// swinging forward, the free arm swings against the legs, and the body rises to keep the lower
// foot on the ground. Striking: 12 frames of wind-up over the right shoulder, a diagonal cut
// forward and down with a swept trail, follow-through and return to guard.
#include <algorithm>
#include <cmath>

#include "tools/assetgen/figure.h"
#include "tools/assetgen/palette.h"
#include "tools/assetgen/pictures.h"

namespace {

using namespace palette;

constexpr float kPi = 3.14159265f;
constexpr float kHipHeight = 23;   // pixels above the ground at full stretch
constexpr float kThigh = 11, kShin = 11;
constexpr float kHipSide = 3.5f;
constexpr float kShoulderRise = 13, kShoulderSide = 7.5f;
constexpr float kUpperArm = 7.5f, kForearm = 7;
constexpr float kHeadRise = 23, kHeadRadius = 8;
constexpr float kBlade = 21, kGrip = 3;
constexpr float kBehindEverything = 1000;  // a depth farther than any part

// A point in the body's own terms: ahead, to the right, up.
struct Local {
  float fwd, side, up;
};

struct HeroPose {
  float legSwing[2];   // left, right; radians, forward positive
  float kneeBend[2];   // radians
  float armSwing;      // the free left arm, radians
  float twist;         // shoulders turned to the right, radians
  Local swordHand;     // right hand, from the point under the pelvis, in the twisted frame
  Local swordDir;      // where the blade points, same frame
  // The last stretch of the cut, for the swept trail: hand and blade a moment earlier.
  bool trail = false;
  Local trailHand[4];
  Local trailDir[4];
};

Vec3 Along(const Facing& f, Local l) { return f.forward * l.fwd + f.right * l.side + Vec3{0, 0, l.up}; }

struct Leg {
  Vec3 hip, knee, ankle, toe;
};

Leg PoseLeg(const Facing& f, Vec3 pelvis, float side, float swing, float bend) {
  Leg leg;
  leg.hip = f.At(pelvis, 0, side, 0);
  leg.knee = f.At(leg.hip, kThigh * std::sin(swing), 0, -kThigh * std::cos(swing));
  const float shin = swing - bend;
  leg.ankle = f.At(leg.knee, kShin * std::sin(shin), 0, -kShin * std::cos(shin));
  leg.toe = f.At(leg.ankle, 4, 0, -0.5f);
  return leg;
}

void AddLeg(PartList& parts, const Leg& leg) {
  parts.Add(leg.hip.y + 3, [leg](Canvas& c) {
    auto p = [](Vec3 v) { return Project(v, kHeroFeetX, kHeroFeetY); };
    Rod(c, p(leg.hip), p(leg.knee), 3.1f, kTrousers);
    Rod(c, p(leg.knee), p(leg.ankle), 2.7f, kTrousers);
    Rod(c, p(leg.ankle + Vec3{0, 0, 3}), p(leg.ankle), 3, kBoots);
    Rod(c, p(leg.ankle), p(leg.toe), 2.6f, kBoots);
  });
}

void AddArm(PartList& parts, Vec3 shoulder, Vec3 elbow, Vec3 hand) {
  parts.Add(shoulder.y, [=](Canvas& c) {
    auto p = [](Vec3 v) { return Project(v, kHeroFeetX, kHeroFeetY); };
    Rod(c, p(shoulder), p(elbow), 2.7f, kTunic);
    Rod(c, p(elbow), p(hand), 2.3f, kLeather);
  });
  parts.Add(hand.y - 0.3f, [=](Canvas& c) {
    Ball(c, Project(hand, kHeroFeetX, kHeroFeetY), 2.3f, 2.3f, kSkin);
  });
}

void AddSword(PartList& parts, Vec3 hand, Vec3 dir, const Facing& f) {
  const Vec3 pommel = hand - dir * kGrip;
  const Vec3 guard = hand + dir * 2.5f;
  const Vec3 tip = guard + dir * kBlade;
  Vec3 across = Cross(dir, Vec3{0, 0, 1});
  if (Dot(across, across) < 0.05f) across = f.right;
  across = Normalize(across);
  parts.Add((hand.y + tip.y) / 2, [=](Canvas& c) {
    auto p = [](Vec3 v) { return Project(v, kHeroFeetX, kHeroFeetY); };
    Rod(c, p(pommel), p(guard), 1.3f, kLeather);
    Rod(c, p(guard), p(tip), 1.5f, kSteel);
    const Vec2 g0 = p(guard - across * 4), g1 = p(guard + across * 4);
    Rod(c, g0, g1, 1.2f, kGold);
    Ball(c, p(pommel), 1.6f, 1.6f, kGold);
  });
}

// The swept ribbon behind a cutting blade, between the paths of its tip and of a point two
// thirds along it. It is an after-image, so it lies behind the whole figure.
void AddTrail(PartList& parts, const HeroPose& pose, const Facing& upper, Vec3 pelvisGround) {
  std::vector<Vec2> ribbon;
  std::vector<Vec2> inner;
  for (int i = 0; i < 4; ++i) {
    const Vec3 hand = pelvisGround + Along(upper, pose.trailHand[i]);
    const Vec3 dir = Normalize(Along(upper, pose.trailDir[i]));
    const Vec3 tip = hand + dir * (kBlade + 2.5f);
    const Vec3 mid = hand + dir * 16.0f;
    ribbon.push_back(Project(tip, kHeroFeetX, kHeroFeetY));
    inner.push_back(Project(mid, kHeroFeetX, kHeroFeetY));
  }
  for (int i = 3; i >= 0; --i) ribbon.push_back(inner[size_t(i)]);
  parts.Add(kBehindEverything, [ribbon](Canvas& c) {
    Canvas swoosh(c.width(), c.height());
    FillPolygon(swoosh, ribbon, Hex(0xF6F2DA));
    InnerRim(swoosh, Hex(0x9CCAF0));
    c.Stamp(swoosh, 0, 0);
  });
}

// The head: skin, hair over the crown and the back, two eyes when the face turns our way.
void DrawHead(Canvas& c, Vec3 centre, const Facing& f) {
  const Vec2 s = Project(centre, kHeroFeetX, kHeroFeetY);
  const float r = kHeadRadius;
  for (int y = int(s.y - r - 3); y <= int(s.y + r + 2); ++y) {
    for (int x = int(s.x - r - 3); x <= int(s.x + r + 3); ++x) {
      const float dx = (float(x) + 0.5f - s.x) / r, dy = (float(y) + 0.5f - s.y) / r;
      const float d2 = dx * dx + dy * dy;
      // Hair stands a little proud of the skull on top and behind.
      const float hx = dx - 0.04f * f.forward.x, hy = dy + 0.12f;
      const bool inHair = hx * hx + hy * hy * 1.1f <= 1.2f;
      if (d2 > 1 && !inHair) continue;
      const float toViewer = std::sqrt(std::max(0.0f, 1 - d2));
      const Vec3 n{dx, -toViewer, -dy};
      const float ahead = Dot(n, f.forward), up = n.z;
      const bool hair = d2 > 1 || up > 0.32f || ahead < -0.05f || (ahead < 0.45f && up > -0.2f);
      const int tone = ToneIndex(dx, dy, d2 > 1 ? 0.2f : toViewer);
      c.Set(x, y, Tone(hair ? kHair : kSkin, tone));
    }
  }
  for (float side : {-0.36f, 0.36f}) {
    const Vec3 dir = Normalize(f.forward * 0.86f + f.right * side + Vec3{0, 0, -0.08f});
    if (dir.y > -0.25f) continue;  // turned away
    const Vec2 e = Project(centre + dir * r, kHeroFeetX, kHeroFeetY);
    c.Set(int(e.x), int(e.y), kEye);
    c.Set(int(e.x), int(e.y) - 1, kEye);
  }
}

void DrawTorso(Canvas& c, Vec3 pelvis, const Facing& upper, const Facing& lower) {
  auto p = [](Vec3 v) { return Project(v, kHeroFeetX, kHeroFeetY); };
  // Tunic: a skirt over the hips, the body above it.
  Ball(c, p(pelvis + Vec3{0, 0, 0}), 8, 4.5f, kTunic);
  Rod(c, p(pelvis + Vec3{0, 0, 2}), p(upper.At(pelvis, 0, 0, 10)), 7, kTunic);
  // Shoulders.
  Ball(c, p(upper.At(pelvis, 0, -kShoulderSide + 1, kShoulderRise)), 3.2f, 3, kTunic);
  Ball(c, p(upper.At(pelvis, 0, kShoulderSide - 1, kShoulderRise)), 3.2f, 3, kTunic);
  Rod(c, p(upper.At(pelvis, 0, -kShoulderSide + 1, kShoulderRise)),
      p(upper.At(pelvis, 0, kShoulderSide - 1, kShoulderRise)), 3, kTunic);
  // Belt, and its buckle when the front is toward us.
  const Vec3 waist = pelvis + Vec3{0, 0, 2};
  Rod(c, p(lower.At(waist, 0, -7, 0)), p(lower.At(waist, 0, 7, 0)), 1.2f, kLeather);
  if (lower.forward.y < 0) {
    const Vec2 b = p(lower.At(waist, 7, 0, 0));
    FillRect(c, int(b.x) - 1, int(b.y) - 1, int(b.x) + 2, int(b.y) + 2, kGold.base);
    c.Set(int(b.x) - 1, int(b.y) - 1, kGold.light);
  }
  // Neck.
  Rod(c, p(upper.At(pelvis, 0, 0, kShoulderRise)), p(upper.At(pelvis, 0, 0, kShoulderRise + 4)),
      2.2f, kSkin);
}

void DrawHero(Canvas& frame, int direction, const HeroPose& pose) {
  const Facing lower = FacingOf(direction);
  const Facing upper = lower.Turned(pose.twist);
  // Raise the body so that the lower foot just touches the ground.
  const Vec3 probe{0, 0, kHipHeight};
  const Leg l0 = PoseLeg(lower, probe, -kHipSide, pose.legSwing[0], pose.kneeBend[0]);
  const Leg r0 = PoseLeg(lower, probe, kHipSide, pose.legSwing[1], pose.kneeBend[1]);
  const float lowest = std::min(l0.ankle.z, r0.ankle.z) - 2.5f;
  const Vec3 pelvis{0, 0, kHipHeight - lowest};
  const Vec3 ground{0, 0, pelvis.z - kHipHeight};  // under the pelvis, shifted with the body

  DitherEllipse(frame, kHeroFeetX, kHeroFeetY, 13, 5, kShadow);
  PartList parts;
  AddLeg(parts, PoseLeg(lower, pelvis, -kHipSide, pose.legSwing[0], pose.kneeBend[0]));
  AddLeg(parts, PoseLeg(lower, pelvis, kHipSide, pose.legSwing[1], pose.kneeBend[1]));
  parts.Add(pelvis.y, [=](Canvas& c) { DrawTorso(c, pelvis, upper, lower); });
  const Vec3 head = upper.At(pelvis, 0.5f, 0, kHeadRise);
  parts.Add(pelvis.y - 0.5f, [=](Canvas& c) { DrawHead(c, head, upper); });

  // Left arm swings free.
  const Vec3 leftShoulder = upper.At(pelvis, 0, -kShoulderSide, kShoulderRise);
  const float a = pose.armSwing;
  const Vec3 leftElbow =
      upper.At(leftShoulder, kUpperArm * std::sin(a), -1, -kUpperArm * std::cos(a));
  const float fore = a + 0.5f;
  const Vec3 leftHand =
      upper.At(leftElbow, kForearm * std::sin(fore), -0.5f, -kForearm * std::cos(fore));
  AddArm(parts, leftShoulder, leftElbow, leftHand);

  // Right arm holds the sword; the elbow bends out and down between shoulder and hand.
  const Vec3 rightShoulder = upper.At(pelvis, 0, kShoulderSide, kShoulderRise);
  const Vec3 rightHand = ground + Along(upper, pose.swordHand);
  const Vec3 rightElbow = Lerp(rightShoulder, rightHand, 0.5f) + upper.right * 2.5f +
                          Vec3{0, 0, -2};
  AddArm(parts, rightShoulder, rightElbow, rightHand);
  AddSword(parts, rightHand, Normalize(Along(upper, pose.swordDir)), upper);
  if (pose.trail) AddTrail(parts, pose, upper, ground);

  Canvas figure(kFrameSize, kFrameSize);
  parts.DrawAll(figure);
  StampOutlined(frame, figure, kInk);
}

constexpr Local kGuardHand{5, 10, 23};
constexpr Local kGuardDir{0.15f, 0.25f, 0.95f};

HeroPose WalkPose(int frame) {
  const float phase = 2 * kPi * float(frame % 12) / 12;
  const float s = std::sin(phase), c = std::cos(phase);
  HeroPose pose{};
  pose.legSwing[0] = 0.6f * s;
  pose.legSwing[1] = -0.6f * s;
  pose.kneeBend[0] = 0.15f + 0.75f * std::max(0.0f, c);
  pose.kneeBend[1] = 0.15f + 0.75f * std::max(0.0f, -c);
  pose.armSwing = -0.45f * s;
  pose.twist = 0.08f * s;
  pose.swordHand = Local{kGuardHand.fwd + 1.0f * s, kGuardHand.side, kGuardHand.up + 0.8f * c};
  pose.swordDir = kGuardDir;
  return pose;
}

// Keyframes of the cut, at times 0..1 of the strip.
struct StrikeKey {
  float t;
  Local hand, dir;
  float twist;
};
constexpr StrikeKey kStrikeKeys[] = {
    {0.00f, kGuardHand, kGuardDir, 0.0f},
    {0.27f, {-3, 7, 42}, {-0.6f, 0.3f, 0.75f}, 0.5f},
    {0.40f, {6, 6, 41}, {0.5f, 0.1f, 0.85f}, 0.25f},
    {0.55f, {14, 0, 28}, {0.9f, -0.3f, -0.3f}, -0.35f},
    {0.70f, {9, -7, 20}, {0.4f, -0.65f, -0.65f}, -0.5f},
    {1.00f, kGuardHand, kGuardDir, 0.0f},
};

Local Mix(Local a, Local b, float t) {
  return Local{a.fwd + (b.fwd - a.fwd) * t, a.side + (b.side - a.side) * t,
               a.up + (b.up - a.up) * t};
}

// Hand, blade and twist at time t of the cut.
void StrikeAt(float t, Local* hand, Local* dir, float* twist) {
  size_t k = 0;
  while (k + 2 < std::size(kStrikeKeys) && t > kStrikeKeys[k + 1].t) ++k;
  const StrikeKey& a = kStrikeKeys[k];
  const StrikeKey& b = kStrikeKeys[k + 1];
  const float u = Smooth((t - a.t) / (b.t - a.t));
  *hand = Mix(a.hand, b.hand, u);
  *dir = Mix(a.dir, b.dir, u);
  *twist = a.twist + (b.twist - a.twist) * u;
}

HeroPose StrikePose(int frame) {
  const float t = float(frame) / float(kActionFrames - 1);
  HeroPose pose{};
  // Feet apart, left ahead; the knees give at the moment of the cut.
  const float lunge = std::exp(-std::pow((t - 0.55f) / 0.18f, 2.0f));
  pose.legSwing[0] = 0.3f + 0.2f * lunge;
  pose.legSwing[1] = -0.3f - 0.1f * lunge;
  pose.kneeBend[0] = 0.25f + 0.35f * lunge;
  pose.kneeBend[1] = 0.2f + 0.2f * lunge;
  pose.armSwing = 0.3f - 0.6f * lunge;
  StrikeAt(t, &pose.swordHand, &pose.swordDir, &pose.twist);
  pose.trail = t > 0.42f && t < 0.8f;
  for (int i = 0; i < 4; ++i) {
    float ignored;
    StrikeAt(std::max(0.0f, t - 0.15f + 0.15f * float(i) / 3), &pose.trailHand[i],
             &pose.trailDir[i], &ignored);
  }
  return pose;
}

}  // namespace

Canvas DrawHeroWalk(int facing) {
  return DrawStrip(kWalkFrames, [facing](Canvas& frame, int i) {
    DrawHero(frame, facing, WalkPose(i));
  });
}

Canvas DrawHeroAttack(int facing) {
  return DrawStrip(kActionFrames, [facing](Canvas& frame, int i) {
    DrawHero(frame, facing, StrikePose(i));
  });
}
