#include "platform/d3d9/raster/geometry.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "platform/d3d9/raster/texture_stages.h"

namespace d3d9 {
namespace {

// Screen coordinates stay within this many pixels, so that snapped arithmetic cannot overflow.
constexpr double guardBand = 16384.0;
constexpr double smallestW = 1e-7;

enum Plane : unsigned {
  left = 1,
  right = 2,
  bottom = 4,
  top = 8,
  nearZ = 16,
  farZ = 32,
  behind = 64,
  planeCount = 7
};

void MultiplyInto(const D3DMATRIX& a, const D3DMATRIX& b, double out[4][4]) {
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      double sum = 0.0;
      for (int k = 0; k < 4; ++k) sum += double(a.m[r][k]) * double(b.m[k][c]);
      out[r][c] = sum;
    }
  }
}

struct ClipVertex {
  double clip[4];
  double attributes[attributeCount];
  double screenZ;  // pre-transformed vertices' depth, linear on screen
  bool original;   // a corner of the primitive, not a point made by a cut
};

// A triangle cut by every plane: each cut of a convex polygon adds at most one corner. Cuts
// between ends far apart in w can round a polygon out of convex; corners beyond the room are
// then dropped, and the picture of such a triangle is arbitrary anyway.
struct ClipPolygon {
  static constexpr std::size_t room = 3 + planeCount;
  ClipVertex corners[room];
  std::size_t size = 0;

  void Add(const ClipVertex& v) {
    if (size < room) corners[size++] = v;
  }
};

double Distance(const ClipVertex& v, unsigned plane, double gx, double gy) {
  const double x = v.clip[0], y = v.clip[1], z = v.clip[2], w = v.clip[3];
  switch (plane) {
    case left: return x + gx * w;
    case right: return gx * w - x;
    case bottom: return y + gy * w;
    case top: return gy * w - y;
    case nearZ: return z;
    case farZ: return w - z;
    default: return w - smallestW;
  }
}

// The planes a clip-space position lies outside of; NaN lies outside of all.
unsigned Outside(const double clip[4], double gx, double gy, bool clipping) {
  const double x = clip[0], y = clip[1], z = clip[2], w = clip[3];
  unsigned outside = 0;
  if (!(x + gx * w >= 0)) outside |= left;
  if (!(gx * w - x >= 0)) outside |= right;
  if (!(y + gy * w >= 0)) outside |= bottom;
  if (!(gy * w - y >= 0)) outside |= top;
  if (clipping && !(z >= 0)) outside |= nearZ;
  if (clipping && !(w - z >= 0)) outside |= farZ;
  if (!(w - smallestW >= 0)) outside |= behind;
  return outside;
}

ClipVertex Between(const ClipVertex& a, const ClipVertex& b, double t) {
  ClipVertex out;
  for (int i = 0; i < 4; ++i) out.clip[i] = a.clip[i] + (b.clip[i] - a.clip[i]) * t;
  out.screenZ = a.screenZ + (b.screenZ - a.screenZ) * t;
  out.original = false;
  for (int i = 0; i < attributeCount; ++i) {
    out.attributes[i] = a.attributes[i] + (b.attributes[i] - a.attributes[i]) * t;
  }
  return out;
}

// Puts a point cut on `plane` exactly on it. Interpolating towards a far-away vertex
// (1e38, say) loses every digit of the cut coordinate, which can land far outside the guard
// band, beyond what snapped screen arithmetic holds.
void PlaceOnPlane(unsigned plane, double gx, double gy, ClipVertex* v) {
  double& x = v->clip[0];
  double& y = v->clip[1];
  double& z = v->clip[2];
  double& w = v->clip[3];
  switch (plane) {
    case left: x = -gx * w; break;
    case right: x = gx * w; break;
    case bottom: y = -gy * w; break;
    case top: y = gy * w; break;
    case nearZ: z = 0.0; break;
    case farZ: z = w; break;
    default: w = std::max(w, smallestW); break;
  }
}

// One pass of polygon clipping against a plane.
void ClipAgainst(const ClipPolygon& polygon, unsigned plane, double gx, double gy,
                 ClipPolygon* out) {
  out->size = 0;
  for (std::size_t i = 0; i < polygon.size; ++i) {
    const ClipVertex& a = polygon.corners[i];
    const ClipVertex& b = polygon.corners[(i + 1) % polygon.size];
    const double da = Distance(a, plane, gx, gy);
    const double db = Distance(b, plane, gx, gy);
    if (da >= 0) out->Add(a);
    if ((da >= 0) != (db >= 0)) {
      ClipVertex cut = Between(a, b, da / (da - db));
      PlaceOnPlane(plane, gx, gy, &cut);
      out->Add(cut);
    }
  }
}

std::uint32_t ToByte(double value) {
  return std::uint32_t(std::lround(std::clamp(std::isnan(value) ? 0.0 : value, 0.0, 1.0) * 255.0));
}

}  // namespace

void PrepareTransforms(const DeviceState& state, GeometrySetup* setup) {
  double worldView[4][4];
  MultiplyInto(state.transforms[D3DTS_WORLD], state.transforms[D3DTS_VIEW], worldView);
  // The product of the three matrices is kept in double throughout.
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      double sum = 0.0;
      for (int k = 0; k < 4; ++k) sum += worldView[r][k] * double(state.transforms[D3DTS_PROJECTION].m[k][c]);
      setup->transform[r][c] = sum;
    }
  }
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) setup->normalTransform[r][c] = worldView[r][c];
  }
  setup->viewport = state.viewport;
  setup->clipping = state.renderStates[D3DRS_CLIPPING] != FALSE;
  setup->lighting = state.renderStates[D3DRS_LIGHTING] != FALSE;
  setup->lastPixel = state.renderStates[D3DRS_LASTPIXEL] != FALSE;
  setup->state = &state;
}

void PrepareWrapping(const DeviceState& state, UINT texcoordSet, GeometrySetup* setup) {
  setup->wrapCount = 0;
  const auto wrapped = [&](UINT set, int component) {
    return set < 8 && (state.renderStates[D3DRS_WRAP0 + set] & (D3DWRAPCOORD_0 << component)) != 0;
  };
  const auto add = [&](int slot, double period) {
    if (period > 0.0) setup->wraps[setup->wrapCount++] = {slot, period};
  };
  const TextureStages* stages = setup->context.stages;
  if (stages == nullptr) {
    if (wrapped(texcoordSet, 0)) add(attrU, setup->textureWidth);
    if (wrapped(texcoordSet, 1)) add(attrV, setup->textureHeight);
    return;
  }
  for (int stage = 0; stage < stages->StageCount(); ++stage) {
    for (int c = 0; c < 3; ++c) {
      if (wrapped(stages->SetOf(stage), c)) add(CoordinateSlot(stage, c), stages->Scale(stage, c));
    }
  }
}

std::uint32_t GeometryDrawer::Light(const InputVertex& input) const {
  const DeviceState& state = *setup.state;
  const auto& rs = state.renderStates;
  const D3DMATERIAL9& material = state.material;
  const bool colourVertex = rs[D3DRS_COLORVERTEX] != FALSE;
  const auto source = [&](DWORD which, const D3DCOLORVALUE& fallback) {
    if (!colourVertex || rs[which] != D3DMCS_COLOR1) return fallback;
    const std::uint32_t c = input.diffuse;
    return D3DCOLORVALUE{float((c >> 16) & 0xFF) / 255.0f, float((c >> 8) & 0xFF) / 255.0f,
                         float(c & 0xFF) / 255.0f, float(c >> 24) / 255.0f};
  };
  const D3DCOLORVALUE diffuse = source(D3DRS_DIFFUSEMATERIALSOURCE, material.Diffuse);
  const D3DCOLORVALUE ambient = source(D3DRS_AMBIENTMATERIALSOURCE, material.Ambient);
  const D3DCOLORVALUE emissive = source(D3DRS_EMISSIVEMATERIALSOURCE, material.Emissive);
  const std::uint32_t global = rs[D3DRS_AMBIENT];
  double colour[3] = {
      emissive.r + ambient.r * double((global >> 16) & 0xFF) / 255.0,
      emissive.g + ambient.g * double((global >> 8) & 0xFF) / 255.0,
      emissive.b + ambient.b * double(global & 0xFF) / 255.0};
  // Directional lights on the vertex normal, turned into view space.
  double normal[3] = {};
  for (int c = 0; c < 3; ++c) {
    for (int k = 0; k < 3; ++k) normal[c] += double(input.normal[k]) * setup.normalTransform[k][c];
  }
  const double length = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
  for (const auto& [index, slot] : state.lights) {
    if (!slot.enabled || slot.light.Type != D3DLIGHT_DIRECTIONAL || length == 0.0) continue;
    const D3DVECTOR& d = slot.light.Direction;
    double towards[3] = {};
    const double dir[3] = {-d.x, -d.y, -d.z};
    for (int c = 0; c < 3; ++c) {
      for (int k = 0; k < 3; ++k) towards[c] += dir[k] * double(state.transforms[D3DTS_VIEW].m[k][c]);
    }
    const double tl = std::sqrt(towards[0] * towards[0] + towards[1] * towards[1] + towards[2] * towards[2]);
    if (tl == 0.0) continue;
    const double dot = std::max(0.0, (normal[0] * towards[0] + normal[1] * towards[1] +
                                      normal[2] * towards[2]) / (length * tl));
    colour[0] += diffuse.r * slot.light.Diffuse.r * dot;
    colour[1] += diffuse.g * slot.light.Diffuse.g * dot;
    colour[2] += diffuse.b * slot.light.Diffuse.b * dot;
  }
  return (ToByte(diffuse.a) << 24) | (ToByte(colour[0]) << 16) | (ToByte(colour[1]) << 8) |
         ToByte(colour[2]);
}

GeometryDrawer::GeometryDrawer(const GeometrySetup& geometry) : setup(geometry) {
  const D3DVIEWPORT9& vp = setup.viewport;
  view = {double(vp.X),    double(vp.Y),    double(vp.Width),
          double(vp.Height), double(vp.MinZ), double(vp.MaxZ - vp.MinZ)};
}

inline void GeometryDrawer::PlaceOnScreen(const double clip[4], RasterVertex* v) const {
  const double w = clip[3];
  // Orthographic projections (the screen's own, for one) leave w at 1, where dividing by it
  // changes nothing.
  const bool unit = w == 1.0;
  v->x = view.x + (1.0 + (unit ? clip[0] : clip[0] / w)) * view.width * 0.5;
  v->y = view.y + (1.0 - (unit ? clip[1] : clip[1] / w)) * view.height * 0.5;
  v->z = view.minZ + (unit ? clip[2] : clip[2] / w) * view.depth;
  v->q = unit ? 1.0 : 1.0 / w;
}

RasterVertex GeometryDrawer::Project(const double clip[4],
                                     const double attributes[attributeCount]) const {
  RasterVertex v;
  PlaceOnScreen(clip, &v);
  std::copy(attributes, attributes + attributeCount, v.attributes);
  return v;
}

struct GeometryDrawer::ProcessContext {
  VertexReader reader;
  double gx, gy;  // the guard band in clip units
  bool light;
  bool pretransformed;
};

[[gnu::always_inline]] inline void GeometryDrawer::ProcessVertex(const ProcessContext& context,
                                                                 std::int64_t index,
                                                                 Processed& out) const {
  const VertexReader& reader = context.reader;
  RasterVertex& s = out.screen;
  float position[4], u, v;
  reader.Position(index, position);
  reader.Texcoord(index, &u, &v);
  const std::uint32_t colour = context.light ? Light(reader.Read(index)) : reader.Diffuse(index);
  s.attributes[attrBlue] = double(colour & 0xFF);
  s.attributes[attrGreen] = double((colour >> 8) & 0xFF);
  s.attributes[attrRed] = double((colour >> 16) & 0xFF);
  s.attributes[attrAlpha] = double(colour >> 24);
  s.attributes[attrU] = double(u) * setup.textureWidth;
  s.attributes[attrV] = double(v) * setup.textureHeight;
  if (setup.context.stages != nullptr) FillStageAttributes(context, index, s);
  if (context.pretransformed) {
    s.x = position[0];
    s.y = position[1];
    s.z = position[2];
    s.q = position[3];
    // Each side of the guard band on its own, so that a primitive is dropped whole only when
    // all its vertices are beyond the same side.
    out.outside = (s.x >= -guardBand ? 0u : unsigned(left)) |
                  (s.x <= guardBand ? 0u : unsigned(right)) |
                  (s.y >= -guardBand ? 0u : unsigned(bottom)) |
                  (s.y <= guardBand ? 0u : unsigned(top));
    for (int k = 0; k < 4; ++k) out.clip[k] = position[k];
    return;
  }
  for (int c = 0; c < 4; ++c) {
    double sum = 0.0;
    for (int k = 0; k < 4; ++k) sum += double(position[k]) * setup.transform[k][c];
    out.clip[c] = sum;
  }
  out.outside = Outside(out.clip, context.gx, context.gy, setup.clipping);
  if (out.outside == 0) PlaceOnScreen(out.clip, &s);
}

void GeometryDrawer::FillStageAttributes(const ProcessContext& context, std::int64_t index,
                                         RasterVertex& out) const {
  const TextureStages& stages = *setup.context.stages;
  for (int stage = 0; stage < int(stageCount); ++stage) {
    double c[4] = {0.0, 0.0, 0.0, 0.0};
    if (stage < stages.StageCount()) {
      float read[4];
      const UINT set = stages.SetOf(stage);
      context.reader.Coordinates(index, set, read);
      std::copy(read, read + 4, c);
      int count;
      const D3DMATRIX* m = stages.Transform(stage, &count);
      // Pre-transformed vertices skip the vertex stage, texture transforms included.
      if (m != nullptr && !context.pretransformed) {
        const int given = context.reader.Components(set);
        double row[4];
        for (int k = 0; k < 4; ++k) row[k] = k < given ? c[k] : k == given ? 1.0 : 0.0;
        for (int j = 0; j < 4; ++j) {
          double sum = 0.0;
          for (int k = 0; k < 4; ++k) sum += row[k] * double(m->m[k][j]);
          c[j] = j < count ? sum : 0.0;
        }
      }
    }
    for (int k = 0; k < 3; ++k) {
      out.attributes[CoordinateSlot(stage, k)] = c[k] * stages.Scale(stage, k);
    }
  }
  // Lighting makes no specular colour.
  const std::uint32_t specular =
      stages.ReadsSpecular() && !context.light ? context.reader.Specular(index) : 0;
  out.attributes[attrSpecularBlue] = double(specular & 0xFF);
  out.attributes[attrSpecularGreen] = double((specular >> 8) & 0xFF);
  out.attributes[attrSpecularRed] = double((specular >> 16) & 0xFF);
  out.attributes[attrSpecularAlpha] = double(specular >> 24);
}

GeometryDrawer::ProcessContext GeometryDrawer::ContextFor(const VertexLayout& layout,
                                                          const StreamView* streams) const {
  return ProcessContext{VertexReader(layout, streams),
                        guardBand / std::max(1.0, double(setup.viewport.Width)),
                        guardBand / std::max(1.0, double(setup.viewport.Height)),
                        setup.lighting && !layout.pretransformed, layout.pretransformed};
}

bool GeometryDrawer::Reserve(std::size_t count) {
  vertices = setup.context.memory.Array<Processed>(count);
  return vertices != nullptr;
}

// Vertices are written in place: drawing processes every vertex of every draw.
bool GeometryDrawer::Process(const VertexLayout& layout, const StreamView* streams,
                             std::int64_t firstVertex, std::int64_t count) {
  first = firstVertex;
  if (!Reserve(std::size_t(count))) return false;
  const ProcessContext context = ContextFor(layout, streams);
  for (std::int64_t i = 0; i < count; ++i) {
    ProcessVertex(context, firstVertex + i, vertices[std::size_t(i)]);
  }
  return true;
}

bool GeometryDrawer::ProcessList(const VertexLayout& layout, const StreamView* streams,
                                 const std::int64_t* vertexNumbers, std::size_t count) {
  first = 0;
  if (!Reserve(count)) return false;
  const ProcessContext context = ContextFor(layout, streams);
  for (std::size_t i = 0; i < count; ++i) ProcessVertex(context, vertexNumbers[i], vertices[i]);
  return true;
}

void GeometryDrawer::WrapTowards(const Processed& from, Processed* v) const {
  for (int i = 0; i < setup.wrapCount; ++i) {
    const auto [slot, period] = setup.wraps[i];
    const double base = from.screen.attributes[slot];
    double offset = std::fmod(v->screen.attributes[slot] - base, period);
    if (offset > period / 2) {
      offset -= period;
    } else if (offset < -period / 2) {
      offset += period;
    }
    v->screen.attributes[slot] = base + offset;
  }
}

void GeometryDrawer::Triangle(const Processed& a, const Processed& b, const Processed& c) {
  if (setup.wrapCount == 0) {
    TriangleAsIs(a, b, c);
    return;
  }
  Processed wrapped[2] = {b, c};
  WrapTowards(a, &wrapped[0]);
  WrapTowards(a, &wrapped[1]);
  TriangleAsIs(a, wrapped[0], wrapped[1]);
}

void GeometryDrawer::Line(const Processed& a, const Processed& b) {
  if (setup.wrapCount == 0) {
    LineAsIs(a, b);
    return;
  }
  Processed wrapped = b;
  WrapTowards(a, &wrapped);
  LineAsIs(a, wrapped);
}

void GeometryDrawer::TriangleAsIs(const Processed& a, const Processed& b, const Processed& c) {
  if ((a.outside & b.outside & c.outside) != 0) return;
  if ((a.outside | b.outside | c.outside) == 0) {
    RasterizeTriangle(setup.context, a.screen, b.screen, c.screen);
    return;
  }
  const Processed* corners[3] = {&a, &b, &c};
  ClipAndDraw(corners);
}

void GeometryDrawer::TrianglePair(const Processed* a[3], const Processed* b[3]) {
  const unsigned outside = a[0]->outside | a[1]->outside | a[2]->outside | b[0]->outside |
                           b[1]->outside | b[2]->outside;
  // The rectangle path knows stage 0 alone, and coordinates as they are.
  if (outside == 0 && setup.context.stages == nullptr && setup.wrapCount == 0) {
    const RasterVertex* one[3] = {&a[0]->screen, &a[1]->screen, &a[2]->screen};
    const RasterVertex* other[3] = {&b[0]->screen, &b[1]->screen, &b[2]->screen};
    if (DrawRectangle(setup.context, one, other) == RectangleDecline::None) {
      ++rectanglesTaken;
      return;
    }
  }
  Triangle(*a[0], *a[1], *a[2]);
  Triangle(*b[0], *b[1], *b[2]);
}

bool GeometryDrawer::Clips(unsigned plane) const {
  const bool side = plane == left || plane == right || plane == bottom || plane == top;
  if (setup.pretransformed) return side;
  if (plane == nearZ || plane == farZ) return setup.clipping;
  return true;
}

void GeometryDrawer::GuardBand(double* gx, double* gy) const {
  const bool screenSpace = setup.pretransformed;
  *gx = screenSpace ? guardBand : guardBand / std::max(1.0, double(setup.viewport.Width));
  *gy = screenSpace ? guardBand : guardBand / std::max(1.0, double(setup.viewport.Height));
}

namespace {

// Pre-transformed vertices are clipped to the guard band on screen, with w = 1 and q carried
// in the z slot; perspective attributes travel over q.
ClipVertex ToClip(const double clip[4], const RasterVertex& s, bool screenSpace,
                  bool perspective) {
  ClipVertex v;
  std::copy(clip, clip + 4, v.clip);
  std::copy(s.attributes, s.attributes + attributeCount, v.attributes);
  v.screenZ = screenSpace ? s.z : 0.0;
  v.original = true;
  if (screenSpace) {
    v.clip[0] = s.x;
    v.clip[1] = s.y;
    v.clip[2] = s.q;
    v.clip[3] = 1.0;
    if (perspective) {
      for (double& attribute : v.attributes) attribute *= s.q;
    }
  }
  return v;
}

// A cut between ends far apart in w (4e34 and -1, say) carries a rounding error far larger
// than the guard band, and a later cut can leave a point outside an earlier plane. Such a
// primitive's picture is arbitrary anyway; its points are kept where snapped arithmetic holds.
void KeepNear(RasterVertex* s) {
  constexpr double farthest = 4 * guardBand;
  s->x = std::clamp(s->x, -farthest, farthest);
  s->y = std::clamp(s->y, -farthest, farthest);
}

// Flat shading takes the colour of the primitive's first vertex, also where a cut removed it.
void TakeFlatColour(const RasterVertex& first, RasterVertex* v) {
  for (int a = 0; a < attributeCount; ++a) {
    if (IsColourSlot(a)) v->attributes[a] = first.attributes[a];
  }
}

}  // namespace

RasterVertex GeometryDrawer::Unclip(const double clip[4], const double attributes[attributeCount],
                                    double screenZ, bool perspective) const {
  if (!setup.pretransformed) return Project(clip, attributes);
  RasterVertex s;
  s.x = clip[0];
  s.y = clip[1];
  s.z = screenZ;
  s.q = clip[2];
  for (int a = 0; a < attributeCount; ++a) {
    s.attributes[a] = perspective && s.q != 0.0 ? attributes[a] / s.q : attributes[a];
  }
  return s;
}

void GeometryDrawer::ClipAndDraw(const Processed* corners[3]) {
  const bool screenSpace = setup.pretransformed;
  bool perspective = false;
  if (screenSpace) {
    const double q0 = corners[0]->screen.q;
    perspective = !(q0 == corners[1]->screen.q && q0 == corners[2]->screen.q);
  }
  ClipPolygon buffers[2];
  ClipPolygon* polygon = &buffers[0];
  ClipPolygon* cut = &buffers[1];
  for (int i = 0; i < 3; ++i) {
    polygon->Add(ToClip(corners[i]->clip, corners[i]->screen, screenSpace, perspective));
  }
  double gx, gy;
  GuardBand(&gx, &gy);
  for (unsigned plane = 1; plane < (1u << planeCount) && polygon->size >= 3; plane <<= 1) {
    if (!Clips(plane)) continue;
    ClipAgainst(*polygon, plane, gx, gy, cut);
    std::swap(polygon, cut);
  }
  const std::size_t count = polygon->size;
  if (count < 3) return;
  RasterVertex screen[ClipPolygon::room];
  bool original[ClipPolygon::room];
  for (std::size_t i = 0; i < count; ++i) {
    const ClipVertex& v = polygon->corners[i];
    screen[i] = Unclip(v.clip, v.attributes, v.screenZ, perspective);
    original[i] = v.original;
    KeepNear(&screen[i]);
    if (setup.context.flatShading) TakeFlatColour(corners[0]->screen, &screen[i]);
  }
  const DWORD fill = setup.context.fillMode;
  if (fill == D3DFILL_POINT || fill == D3DFILL_WIREFRAME) {
    // The outline of what is left, not the edges of the fan it is drawn as.
    DrawPolygonOutline(setup.context, screen, original, count);
    return;
  }
  for (std::size_t i = 1; i + 1 < count; ++i) {
    RasterizeTriangle(setup.context, screen[0], screen[i], screen[i + 1]);
  }
}

// Lines are cut on the planes triangles are cut on. A cut end is not the line's own: it gets
// no last pixel.
void GeometryDrawer::LineAsIs(const Processed& a, const Processed& b) {
  if ((a.outside | b.outside) == 0) {
    DrawLine(setup.context, a.screen, b.screen, setup.lastPixel);
    return;
  }
  if ((a.outside & b.outside) != 0) return;
  const bool screenSpace = setup.pretransformed;
  const bool perspective = screenSpace && a.screen.q != b.screen.q;
  const ClipVertex from = ToClip(a.clip, a.screen, screenSpace, perspective);
  const ClipVertex to = ToClip(b.clip, b.screen, screenSpace, perspective);
  double gx, gy;
  GuardBand(&gx, &gy);
  double t0 = 0.0, t1 = 1.0;
  unsigned startPlane = 0, endPlane = 0;
  for (unsigned plane = 1; plane < (1u << planeCount); plane <<= 1) {
    if (!Clips(plane)) continue;
    const double da = Distance(from, plane, gx, gy);
    const double db = Distance(to, plane, gx, gy);
    if (da >= 0 && db >= 0) continue;
    const double t = da / (da - db);
    // Both ends outside, or a distance that is not a number.
    if (!(t >= 0.0 && t <= 1.0)) return;
    if (da < 0) {
      if (t > t0) t0 = t, startPlane = plane;
    } else if (t < t1) {
      t1 = t, endPlane = plane;
    }
  }
  if (!(t0 < t1)) return;
  ClipVertex start = from, end = to;
  if (startPlane != 0) {
    start = Between(from, to, t0);
    PlaceOnPlane(startPlane, gx, gy, &start);
  }
  if (endPlane != 0) {
    end = Between(from, to, t1);
    PlaceOnPlane(endPlane, gx, gy, &end);
  }
  RasterVertex ends[2] = {Unclip(start.clip, start.attributes, start.screenZ, perspective),
                          Unclip(end.clip, end.attributes, end.screenZ, perspective)};
  for (RasterVertex& v : ends) {
    KeepNear(&v);
    if (setup.context.flatShading) TakeFlatColour(a.screen, &v);
  }
  DrawLine(setup.context, ends[0], ends[1], setup.lastPixel && endPlane == 0);
}

}  // namespace d3d9
