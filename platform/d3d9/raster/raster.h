// Rasterisation of screen-space primitives into a 32-bit render target.
//
// Conventions of Direct3D 9: pixel (i, j) has its centre at (i, j); a pixel is covered when
// its centre is inside the triangle, and a centre exactly on an edge belongs to the triangle
// only for a top edge (horizontal, interior below) or a left edge, so triangles sharing an
// edge cover each pixel once. Positions are snapped to 1/256 of a pixel first. Colours and
// texture coordinates are interpolated linearly in screen space, or perspective-correctly
// when the vertices' reciprocal w differ.
//
// Glossary:
//   span        the covered pixels of one row of a triangle.
//   rectangle   the rectangle path draws two triangles that form an axis-aligned rectangle in
//   path        one go (rectangle.cpp), with results identical to the triangle path's; it
//               declines what it cannot draw so (RectangleDecline).
//   blit        a textured rectangle that maps one texel of level 0 to one pixel.
//   run         texels of one row alike in alpha: transparent (0), opaque (255) or mixed, from
//               the texture's run index (texel_cache.h).
//   ink         texels with any alpha: the opaque and mixed runs.
//   stretch     neighbouring runs of a row taken together, such as a stretch of ink between
//               transparent runs.
//   narrow      a blit at most narrowRectangle columns wide: its rows go to the row kernel
//               whole, without walking their runs. (Row kernels are named by their
//               instruction set: sprite_rows.cpp.)
//   kept        what the alpha test keeps: a kept pixel writes colour and depth; the kept
//               texel alphas of a blit are those whose pixels are kept.
//   known       what a depth buffer's cells are known to hold without reading them: each
//   depth       row's least depth and the buffer's, and a D24 format's common low byte
//               (KnownDepth, beside the buffer), so that rows known to pass draw untested.
#pragma once

#include <cstdint>

#include "platform/d3d9/raster/pixel_pipeline.h"
#include "platform/d3d9/raster/sampler.h"
#include "platform/d3d9/raster/working_memory.h"

namespace d3d9 {

// Attribute slots: colour channels in 0..255, texture coordinates in level-0 texels (cube
// maps: the direction as given). Drawing with stage 0 alone on a flat texture uses the basic
// slots only; the others (stage 0's third coordinate, the specular colour and the coordinates
// of stages 1 to 7, three each) are interpolated when TextureStages is in use.
enum AttributeSlot {
  attrBlue,
  attrGreen,
  attrRed,
  attrAlpha,
  attrU,
  attrV,
  basicAttributeCount,
  attrW = basicAttributeCount,
  attrSpecularBlue,
  attrSpecularGreen,
  attrSpecularRed,
  attrSpecularAlpha,
  attrStage1,
  attributeCount = attrStage1 + 3 * 7
};

// The slot of coordinate `component` (0..2) of the coordinates stage `stage` reads.
constexpr int CoordinateSlot(int stage, int component) {
  return stage == 0 ? (component == 2 ? int(attrW) : int(attrU) + component)
                    : int(attrStage1) + 3 * (stage - 1) + component;
}

// Whether a slot holds a colour channel (flat shading takes these from the first vertex).
constexpr bool IsColourSlot(int slot) {
  return slot <= attrAlpha || (slot >= attrSpecularBlue && slot <= attrSpecularAlpha);
}

class DepthStencil;
class TextureStages;

struct RasterVertex {
  double x;
  double y;
  double z;
  double q;  // reciprocal of w (rhw)
  double attributes[attributeCount];
};

struct RasterContext {
  std::uint32_t* pixels;  // the render target, row after row
  std::ptrdiff_t pitch;   // pixels from one row to the next
  RECT clip;              // viewport, scissor and target, right and bottom exclusive
  const PixelPipeline* pipeline;
  const Sampler* sampler;  // null when no readable texture is bound
  DWORD cullMode;
  bool flatShading;
  const DepthStencil* depthStencil = nullptr;  // null when neither test is on
  DWORD fillMode = D3DFILL_SOLID;
  // Stages beyond what the pipeline and sampler above do alone; null when they suffice.
  const TextureStages* stages = nullptr;
  WorkingMemory memory;  // for what drawing derives from textures (the runs of a blit)
};

// Draws a triangle (culling by its winding on screen), filled or, under D3DFILL_POINT and
// D3DFILL_WIREFRAME, as its corners or its edges.
void RasterizeTriangle(const RasterContext& context, const RasterVertex& a, const RasterVertex& b,
                       const RasterVertex& c);

// Why the rectangle path declines a pair of triangles (the triangle path then draws them).
enum class RectangleDecline : std::uint8_t {
  None,           // taken: drawn, or found to draw nothing (culled, clipped away)
  Outline,        // point or wireframe fill
  NotARectangle,  // not two triangles covering an axis-aligned rectangle by a diagonal
  StencilTested,
  DepthVaries,          // depth is tested and the corners' z differ
  Winding,              // the triangles wind differently, or one has no area
  Perspective,          // the corners' reciprocal w differ
  ColourVaries,         // the colour changes over the rectangle
  NotOneTexelPerPixel,  // textured, but no blit of level 0 within the texture
  KeptAlphasSplit,      // depth is tested and the kept texel alphas are not one range
  NoRunMemory,          // the texture's run index cannot be had
};

// Draws two triangles that form an axis-aligned rectangle, or declines them (drawing nothing)
// when they do not, or when some part of the rectangle path does not apply.
RectangleDecline DrawRectangle(const RasterContext& context, const RasterVertex* first[3],
                               const RasterVertex* second[3]);

// A point lights the pixel whose centre is nearest, ties going up and left: (20.5, 10.5)
// lights (20, 10). A line lights each pixel whose diamond (|px - x| + |py - y| < 1/2) it
// passes through and leaves, and with `lastPixel` also the pixel of its end point; its
// attributes are taken where it is level with the pixel's centre along its major axis,
// perspective-correctly when its ends' reciprocal w differ.
void DrawPoint(const RasterContext& context, const RasterVertex& point);
void DrawLine(const RasterContext& context, const RasterVertex& from, const RasterVertex& to,
              bool lastPixel);
// The outline (D3DFILL_WIREFRAME) or the corners (D3DFILL_POINT) of a convex polygon (a
// triangle, or what clipping left of one), culled by its winding; each pixel of the closed
// outline is drawn once. Points are drawn only at the corners marked `original`: those of the
// primitive, not those a clip plane made.
void DrawPolygonOutline(const RasterContext& context, const RasterVertex* corners,
                        const bool* original, std::size_t count);

// Shared by the paths: positions in 1/subPixel of a pixel, snapped with halves away from
// zero, and division rounded down and up whatever the signs.
constexpr int subPixelBits = 8;
constexpr std::int64_t subPixel = std::int64_t(1) << subPixelBits;
constexpr std::int64_t halfPixel = subPixel / 2;

inline std::int64_t Snap(double coordinate) {
  const double scaled = coordinate * double(subPixel);
  const std::int64_t whole = std::int64_t(scaled);
  const double rest = scaled - double(whole);
  return rest >= 0.5 ? whole + 1 : (rest <= -0.5 ? whole - 1 : whole);
}
// A snapped coordinate back in pixels.
inline double Unsnap(std::int64_t snapped) { return double(snapped) / double(subPixel); }

inline std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}
inline std::int64_t CeilDiv(std::int64_t a, std::int64_t b) { return -FloorDiv(-a, b); }

// FloorDiv and CeilDiv of a snapped coordinate by subPixel, as shifts: a right shift rounds
// down whatever the sign. Every primitive's bounds take them, the rectangle path's per quad.
inline std::int64_t FloorPixel(std::int64_t snapped) { return snapped >> subPixelBits; }
inline std::int64_t CeilPixel(std::int64_t snapped) { return -((-snapped) >> subPixelBits); }

// The pixel whose centre is nearest to a snapped coordinate; a coordinate halfway between two
// centres goes to the lower one.
inline std::int64_t NearestPixel(std::int64_t snapped) { return CeilPixel(snapped - halfPixel); }

// The colour of interpolated channels, and whether a winding is culled.
std::uint32_t PackColour(const double* attributes);
bool IsCulled(DWORD cullMode, std::int64_t signedArea);

}  // namespace d3d9
