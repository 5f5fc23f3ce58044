#include "game/animation.h"

#include "game/world.h"

namespace {

void ShowFirstFrame(GameObject& o) {
  o.sourceRect = RECT{0, 0, o.frameWidth, o.frameHeight};
  o.frame = 0;
}

}  // namespace

void SetSheet(int32_t i, int32_t s) {
  if (!IsObjectIndex(i) || !IsSheetIndex(s)) return;
  GameObject& o = objects[i];
  if (o.sheet == s) return;
  const SpriteSheet& sheet = sheets[s];
  o.sheet = s;
  o.frameWidth = sheet.frameWidth;
  o.frameHeight = sheet.frameHeight;
  o.frameCount = sheet.frameCount;
  o.frameDelay = sheet.frameDelay;
  ShowFirstFrame(o);
}

void RestartStrip(int32_t i) {
  if (!IsObjectIndex(i)) return;
  GameObject& o = objects[i];
  ShowFirstFrame(o);
  o.lastFrameTime = frameTime;
}

void PlayStrip(int32_t i, int32_t s) {
  if (!IsObjectIndex(i)) return;
  GameObject& o = objects[i];
  if (o.sheet != s) SetSheet(i, s);
  if (o.playing) return;
  o.playing = true;
  if (o.frame == o.frameCount - 1) RestartStrip(i);
}

void StepAnimation(int32_t i) {
  if (!IsObjectIndex(i)) return;
  GameObject& o = objects[i];
  // Unsigned milliseconds, as the clock itself is.
  if (!o.playing || frameTime < o.lastFrameTime + static_cast<uint32_t>(o.frameDelay)) return;
  if (o.frame < o.frameCount - 1) {
    o.sourceRect.left += o.frameWidth;
    o.sourceRect.right += o.frameWidth;
    const int32_t imageWidth = IsSheetIndex(o.sheet) ? sheets[o.sheet].imageWidth : 0;
    if (o.sourceRect.left >= imageWidth) {
      o.sourceRect.top += o.frameHeight;
      o.sourceRect.bottom += o.frameHeight;
      o.sourceRect.left = 0;
      o.sourceRect.right = o.frameWidth;
    }
    ++o.frame;
  } else {
    o.playing = false;  // the last frame has been shown for one delay
  }
  o.lastFrameTime = frameTime;
}
