// The open queues in the order they opened, so that the oldest is found at once.
#include "toolkit/sprite/open_batches.h"

#include <limits>

#include "toolkit/sprite/sprite_batcher.h"

namespace sprite_batches {
namespace {

struct OpenList {
  std::uint64_t clock = 0;
  OpenMark* oldest = nullptr;
  OpenMark* newest = nullptr;
};

OpenList& Opened() {
  static OpenList list;
  return list;
}

}  // namespace

std::uint64_t Clock() { return Opened().clock; }

std::uint64_t OldestOpen() {
  const OpenList& list = Opened();
  return list.oldest != nullptr ? list.oldest->OpenedAt()
                                : std::numeric_limits<std::uint64_t>::max();
}

bool IsToolkitSprite(ID3DXSprite* sprite) {
  return dynamic_cast<SpriteBatcher*>(sprite) != nullptr;
}

void OpenMark::Open() {
  if (openedAt != 0) return;
  OpenList& list = Opened();
  openedAt = ++list.clock;
  older = list.newest;
  newer = nullptr;
  (older != nullptr ? older->newer : list.oldest) = this;
  list.newest = this;
}

void OpenMark::Close() {
  if (openedAt == 0) return;
  OpenList& list = Opened();
  (older != nullptr ? older->newer : list.oldest) = newer;
  (newer != nullptr ? newer->older : list.newest) = older;
  older = newer = nullptr;
  openedAt = 0;
}

}  // namespace sprite_batches
