// A fresh world for each test: start-up state, the sheets' frame data, and keys that the test
// holds down.
#pragma once

#include <gtest/gtest.h>

#include "game/harness/world_reset.h"
#include "game/world.h"
#include "platform/win32/input.h"
#include "platform/win32/window.h"

class WorldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWorld();
    LoadSheetMetrics();
    win32::InjectKeyState(&keys);
  }
  void TearDown() override { win32::InjectKeyState(nullptr); }

  // The hero as the story screen sets him up, standing at (x, y), unmarked.
  GameObject& PlaceHero(float x, float y) {
    SpawnObject(heroIndex, 2, 0.0f, 0.0f, 20, 10, 0, 0, -1, 0, 0, 0);
    occupancy[0][0] = 0;
    objects[heroIndex].x = x;
    objects[heroIndex].y = y;
    return objects[heroIndex];
  }

  // A blue slime (or another kind, by its values) in record i at (x, y), marked there.
  GameObject& PlaceEnemy(int32_t i, float x, float y, int32_t health = 5, int32_t speed = 2,
                         int32_t behaviour = 0) {
    SpawnObject(i, 11, x, y, health, 2, 2, 4, behaviour, speed, 11, 12);
    return objects[i];
  }

  win32::FakeKeys keys;
};
