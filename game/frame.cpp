// The screen state machine and the per-frame world update.
#include <cmath>

#include "game/animation.h"
#include "game/levels.h"
#include "game/movement.h"
#include "game/scene.h"
#include "game/sheet_table.h"
#include "game/world.h"
#include "platform/win32/input.h"
#include "platform/win32/window.h"

namespace {

// The key's current state, not a press: a held Enter moves on one screen per frame.
bool EnterIsDown() { return GetAsyncKeyState(VK_RETURN) < 0; }

// The Story screen sets up the hero and the first map's entry in every frame it is shown.
void SetUpHero() {
  SpawnObject(heroIndex, HeroWalkSheet(0), 0.0f, 0.0f, 20, 10, 0, 0, -1, 0, 0, 0);
  entryX = 25;
  entryY = 25;
  entryHealth = 20;
  currentMap = 11;
}

void ShowPictureUntilEnter(int32_t picture, GameState next) {
  DrawScreenPicture(picture);
  if (EnterIsDown()) gameState = next;
}

}  // namespace

void RunFrame() {
  switch (gameState) {
    case Cover:
      ShowPictureUntilEnter(kCoverSheet, Story);
      break;
    case Story:
      ShowPictureUntilEnter(kStorySheet, Playing);
      SetUpHero();
      break;
    case Playing:
      LevelStep();
      break;
    case Lost:
      ShowPictureUntilEnter(kLostSheet, Cover);
      break;
    case Won:
      ShowPictureUntilEnter(kWonSheet, Cover);
      break;
  }
}

void UpdateWorld() {
  for (int32_t i = kFirstEnemy; i < kFirstEnemy + enemyCount; ++i) {
    if (!IsObjectIndex(i)) break;
    if (objects[i].health <= 0) objects[i].alive = false;
    MeasureHeroDistance(i);  // the dead are measured too
  }

  const GameObject& hero = objects[heroIndex];
  if (hero.health <= 0) {
    // The rest of the frame still runs; the defeat picture follows from the next frame.
    mapLoaded = false;
    gameState = Lost;
  }

  StepAnimation(heroIndex);
  for (int32_t i = kFirstEnemy; i < kFirstEnemy + kEnemySlots; ++i) StepAnimation(i);

  // The hero's projected point sits at the screen's centre; float products, double offset.
  cameraLeft = static_cast<int32_t>(tileWidth * hero.x / 2 - tileWidth * hero.y / 2 - 320.0);
  cameraTop = static_cast<int32_t>(tileHeight * hero.x / 2 + tileHeight * hero.y / 2 - 240.0);
}
