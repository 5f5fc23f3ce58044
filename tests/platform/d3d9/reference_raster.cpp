#include "tests/platform/d3d9/reference_raster.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace reference {
namespace {

constexpr std::int64_t grid = 256;

std::int64_t OnGrid(double coordinate) { return std::llround(coordinate * double(grid)); }

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  return a >= 0 ? a / b : -((-a + b - 1) / b);
}

bool Compare(DWORD func, std::uint32_t left, std::uint32_t right) {
  switch (func) {
    case D3DCMP_NEVER: return false;
    case D3DCMP_LESS: return left < right;
    case D3DCMP_EQUAL: return left == right;
    case D3DCMP_LESSEQUAL: return left <= right;
    case D3DCMP_GREATER: return left > right;
    case D3DCMP_NOTEQUAL: return left != right;
    case D3DCMP_GREATEREQUAL: return left >= right;
    default: return true;
  }
}

std::uint32_t Operate(DWORD op, std::uint32_t stored, std::uint32_t ref) {
  switch (op) {
    case D3DSTENCILOP_ZERO: return 0;
    case D3DSTENCILOP_REPLACE: return ref;
    case D3DSTENCILOP_INCRSAT: return std::min<std::uint32_t>(stored + 1, 255);
    case D3DSTENCILOP_DECRSAT: return stored == 0 ? 0 : stored - 1;
    case D3DSTENCILOP_INVERT: return 255 - stored;
    case D3DSTENCILOP_INCR: return stored == 255 ? 0 : stored + 1;
    case D3DSTENCILOP_DECR: return stored == 0 ? 255 : stored - 1;
    default: return stored;
  }
}

std::uint32_t BlendChannel(std::uint32_t source, std::uint32_t target, std::uint32_t alpha) {
  const double exact = (double(source) * alpha + double(target) * (255 - alpha)) / 255.0;
  return std::uint32_t(std::floor(exact + 0.5));
}

// The pixel whose square [i - 1/2, i + 1/2) holds a coordinate on the grid.
std::int64_t SquareOf(std::int64_t onGrid) {
  const std::int64_t guess = FloorDiv(onGrid, grid);
  for (std::int64_t k = guess - 1; k <= guess + 2; ++k) {
    if (k * grid >= onGrid - grid / 2 && k * grid < onGrid + grid / 2) return k;
  }
  return guess;
}

// A fraction n / d with d > 0.
struct Fraction {
  __int128 n, d;
};
bool Less(const Fraction& a, const Fraction& b) { return a.n * b.d < b.n * a.d; }

constexpr double guardPixels = 16384.0;
constexpr double nearestW = 1e-7;

// A point in clip space (screen space: w = 1, z the screen depth).
struct Homogeneous {
  double p[4];
  bool original;
};

// A clip plane: the inside has coefficients . (x, y, z, w) + constant >= 0.
enum class Side { Left, Right, Bottom, Top, Near, Far, Behind };
struct ClipPlane {
  Side side;
  double g;  // the guard band, for the four sides
};

double SignedDistance(const ClipPlane& plane, const Homogeneous& h) {
  double c[4] = {0, 0, 0, 0}, constant = 0;
  switch (plane.side) {
    case Side::Left: c[0] = 1, c[3] = plane.g; break;
    case Side::Right: c[0] = -1, c[3] = plane.g; break;
    case Side::Bottom: c[1] = 1, c[3] = plane.g; break;
    case Side::Top: c[1] = -1, c[3] = plane.g; break;
    case Side::Near: c[2] = 1; break;
    case Side::Far: c[2] = -1, c[3] = 1; break;
    case Side::Behind: c[3] = 1, constant = -nearestW; break;
  }
  return c[0] * h.p[0] + c[1] * h.p[1] + c[2] * h.p[2] + c[3] * h.p[3] + constant;
}

// The point a fraction t of the way from a to b, moved exactly onto the plane it was cut on.
Homogeneous CutPoint(const ClipPlane& plane, const Homogeneous& a, const Homogeneous& b,
                     double t) {
  Homogeneous h{{}, false};
  for (int k = 0; k < 4; ++k) h.p[k] = a.p[k] + (b.p[k] - a.p[k]) * t;
  double& w = h.p[3];
  switch (plane.side) {
    case Side::Left: h.p[0] = -plane.g * w; break;
    case Side::Right: h.p[0] = plane.g * w; break;
    case Side::Bottom: h.p[1] = -plane.g * w; break;
    case Side::Top: h.p[1] = plane.g * w; break;
    case Side::Near: h.p[2] = 0; break;
    case Side::Far: h.p[2] = w; break;
    case Side::Behind: w = std::max(w, nearestW); break;
  }
  return h;
}

std::vector<ClipPlane> PlanesOf(const Viewport* viewport, bool clipping) {
  if (viewport == nullptr) {
    return {{Side::Left, guardPixels}, {Side::Right, guardPixels}, {Side::Bottom, guardPixels},
            {Side::Top, guardPixels}};
  }
  const double gx = guardPixels / std::max(1.0, viewport->width);
  const double gy = guardPixels / std::max(1.0, viewport->height);
  std::vector<ClipPlane> planes = {
      {Side::Left, gx}, {Side::Right, gx}, {Side::Bottom, gy}, {Side::Top, gy}};
  if (clipping) planes.insert(planes.end(), {{Side::Near, 0}, {Side::Far, 0}});
  planes.push_back({Side::Behind, 0});
  return planes;
}

std::vector<Homogeneous> CutPolygon(const std::vector<Homogeneous>& polygon,
                                    const ClipPlane& plane) {
  std::vector<Homogeneous> kept;
  for (std::size_t i = 0; i < polygon.size(); ++i) {
    const Homogeneous& a = polygon[i];
    const Homogeneous& b = polygon[(i + 1) % polygon.size()];
    const double da = SignedDistance(plane, a), db = SignedDistance(plane, b);
    if (da >= 0) kept.push_back(a);
    if ((da >= 0) != (db >= 0)) kept.push_back(CutPoint(plane, a, b, da / (da - db)));
  }
  return kept;
}

Vertex OnScreen(const Viewport& vp, const Homogeneous& h, std::uint32_t colour) {
  const double w = h.p[3];
  return {vp.x + (1.0 + h.p[0] / w) * vp.width * 0.5, vp.y + (1.0 - h.p[1] / w) * vp.height * 0.5,
          vp.minZ + h.p[2] / w * (vp.maxZ - vp.minZ), colour};
}

// The part of the segment inside every plane: its ends and whether the end was cut.
bool CutSegment(const std::vector<ClipPlane>& planes, Homogeneous* a, Homogeneous* b,
                bool* endCut) {
  double t0 = 0, t1 = 1;
  const ClipPlane* startPlane = nullptr;
  const ClipPlane* endPlane = nullptr;
  for (const ClipPlane& plane : planes) {
    const double da = SignedDistance(plane, *a), db = SignedDistance(plane, *b);
    if (da >= 0 && db >= 0) continue;
    if (!(da >= 0) && !(db >= 0)) return false;
    const double t = da / (da - db);
    if (!(t >= 0 && t <= 1)) return false;
    if (da < 0 && t > t0) t0 = t, startPlane = &plane;
    if (db < 0 && t < t1) t1 = t, endPlane = &plane;
  }
  if (!(t0 < t1)) return false;
  const Homogeneous from = *a, to = *b;
  if (startPlane != nullptr) *a = CutPoint(*startPlane, from, to, t0);
  if (endPlane != nullptr) *b = CutPoint(*endPlane, from, to, t1);
  *endCut = endPlane != nullptr;
  return true;
}

}  // namespace

Frame::Frame(int frameWidth, int frameHeight, DepthKind depthKind)
    : width(frameWidth),
      height(frameHeight),
      kind(depthKind),
      colour(std::size_t(frameWidth) * std::size_t(frameHeight)),
      depth(colour.size()),
      stencil(colour.size()) {}

std::uint32_t Frame::Stored(double z) const {
  z = std::clamp(z, 0.0, 1.0);
  switch (kind) {
    case DepthKind::Unorm16: return std::uint32_t(std::llround(z * 65535.0));
    case DepthKind::Unorm24: return std::uint32_t(std::llround(z * 16777215.0));
    case DepthKind::Unorm32: return std::uint32_t(std::llround(z * 4294967295.0));
    case DepthKind::Float32: {
      const float f = float(z);
      std::uint32_t bits;
      std::memcpy(&bits, &f, 4);
      return bits;
    }
  }
  return 0;
}

bool Frame::Ordered(std::uint32_t incoming, std::uint32_t stored, DWORD func) const {
  if (kind != DepthKind::Float32) return Compare(func, incoming, stored);
  float a, b;
  std::memcpy(&a, &incoming, 4);
  std::memcpy(&b, &stored, 4);
  switch (func) {
    case D3DCMP_NEVER: return false;
    case D3DCMP_LESS: return a < b;
    case D3DCMP_EQUAL: return a == b;
    case D3DCMP_LESSEQUAL: return a <= b;
    case D3DCMP_GREATER: return a > b;
    case D3DCMP_NOTEQUAL: return a != b;
    case D3DCMP_GREATEREQUAL: return a >= b;
    default: return true;
  }
}

void Frame::Clear(std::uint32_t value, double z, std::uint32_t stencilValue) {
  std::fill(colour.begin(), colour.end(), value);
  std::fill(depth.begin(), depth.end(), Stored(z));
  std::fill(stencil.begin(), stencil.end(), stencilValue & 0xFF);
}

void Frame::ClearRect(int left, int top, int right, int bottom, bool clearDepth, double z,
                      bool clearStencil, std::uint32_t value) {
  for (int y = std::max(top, 0); y < std::min(bottom, height); ++y) {
    for (int x = std::max(left, 0); x < std::min(right, width); ++x) {
      if (clearDepth) depth[Index(x, y)] = Stored(z);
      if (clearStencil) stencil[Index(x, y)] = value & 0xFF;
    }
  }
}

void Frame::Pixel(const States& s, int x, int y, double z, std::uint32_t source) {
  if (x < 0 || y < 0 || x >= width || y >= height) return;
  const std::size_t at = Index(x, y);
  const auto writeStencil = [&](DWORD op) {
    if (!s.stencilEnable) return;
    const std::uint32_t result = Operate(op, stencil[at], s.stencilRef & 0xFF);
    const std::uint32_t mask = s.stencilWriteMask & 0xFF;
    stencil[at] = (stencil[at] & ~mask & 0xFF) | (result & mask);
  };
  if (s.stencilEnable && !Compare(s.stencilFunc, s.stencilRef & s.stencilMask & 0xFF,
                                  stencil[at] & s.stencilMask & 0xFF)) {
    writeStencil(s.stencilFail);
    return;
  }
  const std::uint32_t incoming = Stored(z);
  if (s.zEnable && !Ordered(incoming, depth[at], s.zFunc)) {
    writeStencil(s.stencilZFail);
    return;
  }
  writeStencil(s.stencilPass);
  if (s.zEnable && s.zWrite) depth[at] = incoming;
  if (!s.blend) {
    colour[at] = source;
    return;
  }
  const std::uint32_t alpha = source >> 24;
  std::uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    out |= BlendChannel((source >> shift) & 0xFF, (colour[at] >> shift) & 0xFF, alpha) << shift;
  }
  colour[at] = out | (BlendChannel(alpha, colour[at] >> 24, alpha) << 24);
}

void Frame::Triangle(const States& s, const Vertex& a, const Vertex& b, const Vertex& c) {
  const Vertex* v[3] = {&a, &b, &c};
  std::int64_t X[3], Y[3];
  for (int k = 0; k < 3; ++k) {
    X[k] = OnGrid(v[k]->x);
    Y[k] = OnGrid(v[k]->y);
  }
  // Twice the signed area; positive turns clockwise on a screen whose y grows downward.
  const std::int64_t area = (X[1] - X[0]) * (Y[2] - Y[0]) - (X[2] - X[0]) * (Y[1] - Y[0]);
  if (area == 0) return;
  if ((s.cull == D3DCULL_CCW && area < 0) || (s.cull == D3DCULL_CW && area > 0)) return;
  if (s.fill == D3DFILL_POINT || s.fill == D3DFILL_WIREFRAME) {
    Outline(s, {a, b, c}, {true, true, true});
    return;
  }
  const std::int64_t orientation = area > 0 ? 1 : -1;
  const int left = int(FloorDiv(*std::min_element(X, X + 3), grid));
  const int right = int(FloorDiv(*std::max_element(X, X + 3), grid)) + 1;
  const int top = int(FloorDiv(*std::min_element(Y, Y + 3), grid));
  const int bottom = int(FloorDiv(*std::max_element(Y, Y + 3), grid)) + 1;
  for (int j = std::max(top, 0); j <= std::min(bottom, height - 1); ++j) {
    for (int i = std::max(left, 0); i <= std::min(right, width - 1); ++i) {
      const std::int64_t px = i * grid, py = j * grid;
      std::int64_t weights[3];  // of the vertex opposite each edge, positive inside
      bool inside = true;
      for (int k = 0; k < 3 && inside; ++k) {
        const int p = k, q = (k + 1) % 3, r = (k + 2) % 3;
        const std::int64_t e =
            orientation * ((X[q] - X[p]) * (py - Y[p]) - (Y[q] - Y[p]) * (px - X[p]));
        weights[r] = e;
        if (e > 0) continue;
        if (e < 0) {
          inside = false;
          continue;
        }
        const bool topEdge = Y[p] == Y[q] && Y[r] > Y[p];
        // Left: going right from the edge enters the triangle.
        const bool leftEdge = Y[p] != Y[q] && orientation * -(Y[q] - Y[p]) > 0;
        inside = topEdge || leftEdge;
      }
      if (!inside) continue;
      const double total = double(weights[0] + weights[1] + weights[2]);
      const double z =
          (double(weights[0]) * a.z + double(weights[1]) * b.z + double(weights[2]) * c.z) / total;
      Pixel(s, i, j, z, a.colour);
    }
  }
}

void Frame::Point(const States& s, const Vertex& p) {
  Pixel(s, int(SquareOf(OnGrid(p.x))), int(SquareOf(OnGrid(p.y))), p.z, p.colour);
}

void Frame::Line(const States& s, const Vertex& from, const Vertex& to, bool lastPixel) {
  LineShadedBy(s, from, to, lastPixel, [&](double) { return from.colour; });
}

void Frame::ShadedLine(const States& s, const ShadedEnd& from, const ShadedEnd& to,
                       bool lastPixel) {
  // Each channel is linear in space: c q and q are linear on screen.
  const auto colourAt = [&](double t) {
    const double q = from.q * (1 - t) + to.q * t;
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      const double c0 = double((from.colour >> shift) & 0xFF);
      const double c1 = double((to.colour >> shift) & 0xFF);
      const double c = (c0 * from.q * (1 - t) + c1 * to.q * t) / q;
      out |= std::uint32_t(std::clamp(std::floor(c + 0.5), 0.0, 255.0)) << shift;
    }
    return out;
  };
  LineShadedBy(s, {from.x, from.y, from.z, from.colour}, {to.x, to.y, to.z, to.colour},
               lastPixel, colourAt);
}

void Frame::LineShadedBy(const States& s, const Vertex& from, const Vertex& to, bool lastPixel,
                         const std::function<std::uint32_t(double)>& colourAt) {
  const std::int64_t x0 = OnGrid(from.x), y0 = OnGrid(from.y);
  const std::int64_t x1 = OnGrid(to.x), y1 = OnGrid(to.y);
  const std::int64_t dx = x1 - x0, dy = y1 - y0;
  // Whether the segment meets the open diamond of (i, j), and whether its end lies inside it:
  // the diamond is four open half-planes, each bounding the segment's parameter t in [0, 1].
  const auto meets = [&](std::int64_t i, std::int64_t j, bool* endsInside) {
    const std::int64_t cx = i * grid, cy = j * grid;
    bool hasLower = false, hasUpper = false;
    Fraction lower{0, 1}, upper{1, 1};
    bool empty = false;
    *endsInside = true;
    for (const int sx : {-1, 1}) {
      for (const int sy : {-1, 1}) {
        const std::int64_t start = sx * (x0 - cx) + sy * (y0 - cy);
        const std::int64_t slope = sx * dx + sy * dy;
        if (start + slope >= grid / 2) *endsInside = false;
        if (slope == 0) {
          if (start >= grid / 2) empty = true;
        } else if (slope > 0) {
          const Fraction bound{grid / 2 - start, slope};  // t < bound
          if (!hasUpper || Less(bound, upper)) upper = bound;
          hasUpper = true;
        } else {
          const Fraction bound{start - grid / 2, -slope};  // t > bound
          if (!hasLower || Less(lower, bound)) lower = bound;
          hasLower = true;
        }
      }
    }
    if (empty) return false;
    // Some t in [0, 1] with lower < t < upper.
    const Fraction zero{0, 1}, one{1, 1};
    if (hasLower && hasUpper && !Less(lower, upper)) return false;
    if (hasLower && !Less(lower, one)) return false;
    if (hasUpper && !Less(zero, upper)) return false;
    return true;
  };
  const bool xMajor = std::llabs(dx) >= std::llabs(dy);
  std::vector<std::pair<std::int64_t, std::int64_t>> lit;
  // Pixels off the frame are not drawn: long lines are looked at only where they cross it.
  const std::int64_t left = std::max<std::int64_t>(FloorDiv(std::min(x0, x1), grid) - 1, -1);
  const std::int64_t right = std::min<std::int64_t>(FloorDiv(std::max(x0, x1), grid) + 2, width);
  const std::int64_t top = std::max<std::int64_t>(FloorDiv(std::min(y0, y1), grid) - 1, -1);
  const std::int64_t bottom = std::min<std::int64_t>(FloorDiv(std::max(y0, y1), grid) + 2, height);
  for (std::int64_t j = top; j <= bottom; ++j) {
    for (std::int64_t i = left; i <= right; ++i) {
      bool endsInside;
      if (meets(i, j, &endsInside) && !endsInside) lit.emplace_back(i, j);
    }
  }
  if (lastPixel) {
    const std::pair<std::int64_t, std::int64_t> end{SquareOf(x1), SquareOf(y1)};
    if (std::find(lit.begin(), lit.end(), end) == lit.end()) lit.push_back(end);
  }
  // Depth and colour where the line is level with the pixel's centre along its major axis.
  for (const auto& [i, j] : lit) {
    const std::int64_t along = xMajor ? i * grid - x0 : j * grid - y0;
    const std::int64_t length = xMajor ? dx : dy;
    const double t = length == 0 ? 1.0 : std::clamp(double(along) / double(length), 0.0, 1.0);
    Pixel(s, int(i), int(j), from.z + (to.z - from.z) * t, colourAt(t));
  }
}

void Frame::Outline(const States& s, const std::vector<Vertex>& corners,
                    const std::vector<bool>& original) {
  const std::size_t n = corners.size();
  std::int64_t area = 0;
  for (std::size_t k = 0; k < n; ++k) {
    const Vertex& a = corners[k];
    const Vertex& b = corners[(k + 1) % n];
    area += OnGrid(a.x) * OnGrid(b.y) - OnGrid(b.x) * OnGrid(a.y);
  }
  if (area == 0) return;
  if ((s.cull == D3DCULL_CCW && area < 0) || (s.cull == D3DCULL_CW && area > 0)) return;
  const std::uint32_t outlineColour = corners[0].colour;
  for (std::size_t k = 0; k < n; ++k) {
    const Vertex& a = corners[k];
    const Vertex& b = corners[(k + 1) % n];
    if (s.fill == D3DFILL_POINT) {
      if (original[k]) Point(s, {a.x, a.y, a.z, outlineColour});
    } else {
      Line(s, {a.x, a.y, a.z, outlineColour}, {b.x, b.y, b.z, outlineColour}, false);
    }
  }
}

void Frame::ClippedTriangle(const States& s, const Viewport& viewport, bool clipping,
                            const ClipVertex& a, const ClipVertex& b, const ClipVertex& c) {
  std::vector<Homogeneous> polygon;
  for (const ClipVertex* v : {&a, &b, &c}) polygon.push_back({{v->x, v->y, v->z, v->w}, true});
  for (const ClipPlane& plane : PlanesOf(&viewport, clipping)) {
    if (polygon.size() < 3) return;
    polygon = CutPolygon(polygon, plane);
  }
  if (polygon.size() < 3) return;
  std::vector<Vertex> corners;
  std::vector<bool> original;
  for (const Homogeneous& h : polygon) {
    corners.push_back(OnScreen(viewport, h, a.colour));
    original.push_back(h.original);
  }
  if (s.fill == D3DFILL_POINT || s.fill == D3DFILL_WIREFRAME) {
    Outline(s, corners, original);
    return;
  }
  for (std::size_t k = 1; k + 1 < corners.size(); ++k) {
    Triangle(s, corners[0], corners[k], corners[k + 1]);
  }
}

void Frame::ClippedLine(const States& s, const Viewport& viewport, bool clipping,
                        const ClipVertex& from, const ClipVertex& to, bool lastPixel) {
  Homogeneous a{{from.x, from.y, from.z, from.w}, true};
  Homogeneous b{{to.x, to.y, to.z, to.w}, true};
  bool endCut;
  if (!CutSegment(PlanesOf(&viewport, clipping), &a, &b, &endCut)) return;
  Line(s, OnScreen(viewport, a, from.colour), OnScreen(viewport, b, from.colour),
       lastPixel && !endCut);
}

void Frame::ScreenLine(const States& s, const Vertex& from, const Vertex& to, bool lastPixel) {
  Homogeneous a{{from.x, from.y, from.z, 1}, true};
  Homogeneous b{{to.x, to.y, to.z, 1}, true};
  bool endCut;
  if (!CutSegment(PlanesOf(nullptr, false), &a, &b, &endCut)) return;
  Line(s, {a.p[0], a.p[1], a.p[2], from.colour}, {b.p[0], b.p[1], b.p[2], from.colour},
       lastPixel && !endCut);
}

}  // namespace reference
