// The game's 21 pictures, one drawing function per picture family, and the table that names
// their files. Every function draws the same picture every time.
//
// Actor strips hold 128 x 128 frames, eight to a row, from the top-left corner; a figure's
// feet stand on the strip's anchor point of each frame. The tile picture holds 128 x 128
// frames whose floor diamond has its top vertex at (64, 96).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tools/assetgen/canvas.h"

constexpr int kFrameSize = 128;
constexpr int kFramesPerRow = 8;
constexpr int kWalkFrames = 24;        // the hero's walk: two strides of 12 frames
constexpr int kActionFrames = 12;      // every other strip
constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;
// Where feet stand in a frame.
constexpr int kHeroFeetX = 64, kHeroFeetY = 90;
constexpr int kCreatureFeetX = 64, kCreatureFeetY = 96;

// tiles.cpp: 1024 x 384, the frames laid out as res/README.md plans them.
Canvas DrawTilePicture();

// hero.cpp: facing 0, 2, 4 or 6 (up-right, down-right, down-left, up-left on screen).
Canvas DrawHeroWalk(int facing);
Canvas DrawHeroAttack(int facing);

// creatures.cpp
Canvas DrawBlueSlime(bool attacking);
Canvas DrawFlower(bool attacking);
Canvas DrawMudSlime(bool attacking);

// boss.cpp
Canvas DrawBoss(bool attacking);

// screens.cpp: 640 x 480, opaque everywhere.
Canvas DrawCover();
Canvas DrawStory();
Canvas DrawDefeat();
Canvas DrawVictory();

// Frames in strip order, laid out eight to a row.
Canvas AssembleStrip(const std::vector<Canvas>& frames);
// A strip of `count` frames, frame i drawn by draw(frame, i) on a clear 128 x 128 canvas.
Canvas DrawStrip(int count, const std::function<void(Canvas&, int)>& draw);
// A part of a picture.
Canvas Crop(const Canvas& picture, int left, int top, int width, int height);

struct PictureFile {
  std::string file;  // under res/
  Rgba key;          // written where the picture is transparent
  Canvas picture;
};

// All 21, in the game's loading order.
std::vector<PictureFile> DrawAllPictures();

// Every pixel repeated `factor` times in each direction.
Canvas Scale(const Canvas& picture, int factor);
// Frame `index` of an actor strip.
Canvas StripFrame(const Canvas& strip, int index);
