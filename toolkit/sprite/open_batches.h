// Which sprite queues hold sprites not yet drawn, process-wide.
//
// A sprite holds no references to the textures it queues. An owner that lets go of a texture it
// drew through sprites (the font's glyph cache) keeps its reference until every queue that was
// open when it let go has been drawn or emptied: then no queue can still draw from it.
#pragma once

#include <cstdint>

#include "toolkit/sprite/d3dx_sprite.h"

namespace sprite_batches {

// Moves on each time a queue opens.
std::uint64_t Clock();
// The clock at which the longest-open queue opened; UINT64_MAX while none is open. A texture let
// go of at clock c is no longer queued anywhere once OldestOpen() > c.
std::uint64_t OldestOpen();
// Whether `sprite` was made by D3DXCreateSprite, so that its queue is among those seen here.
bool IsToolkitSprite(ID3DXSprite* sprite);

// A queue's place among the open ones: opened by its first sprite, closed when it is emptied or
// goes.
class OpenMark {
 public:
  OpenMark() = default;
  ~OpenMark() { Close(); }
  OpenMark(const OpenMark&) = delete;
  OpenMark& operator=(const OpenMark&) = delete;

  void Open();  // nothing while already open
  void Close();
  std::uint64_t OpenedAt() const { return openedAt; }

 private:
  std::uint64_t openedAt = 0;  // 0 while closed
  OpenMark* older = nullptr;
  OpenMark* newer = nullptr;
};

}  // namespace sprite_batches
