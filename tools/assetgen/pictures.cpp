#include "tools/assetgen/pictures.h"

#include "tools/assetgen/palette.h"

Canvas AssembleStrip(const std::vector<Canvas>& frames) {
  const int count = int(frames.size());
  const int columns = count < kFramesPerRow ? count : kFramesPerRow;
  const int rows = (count + columns - 1) / columns;
  Canvas strip(columns * kFrameSize, rows * kFrameSize);
  for (int i = 0; i < count; ++i) {
    strip.Stamp(frames[size_t(i)], (i % columns) * kFrameSize, (i / columns) * kFrameSize);
  }
  return strip;
}

Canvas DrawStrip(int count, const std::function<void(Canvas&, int)>& draw) {
  std::vector<Canvas> frames;
  for (int i = 0; i < count; ++i) {
    Canvas frame(kFrameSize, kFrameSize);
    draw(frame, i);
    frames.push_back(frame);
  }
  return AssembleStrip(frames);
}

Canvas Crop(const Canvas& picture, int left, int top, int width, int height) {
  Canvas part(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) part.Set(x, y, picture.Get(left + x, top + y));
  }
  return part;
}

std::vector<PictureFile> DrawAllPictures() {
  using palette::kActorKey;
  std::vector<PictureFile> files;
  files.push_back({"tileimage.png", palette::kTileKey, DrawTilePicture()});
  for (int facing = 0; facing < 8; facing += 2) {
    files.push_back({"hero-walk-" + std::to_string(facing) + ".png", kActorKey,
                     DrawHeroWalk(facing)});
  }
  for (int facing = 0; facing < 8; facing += 2) {
    files.push_back({"hero-attack-" + std::to_string(facing) + ".png", kActorKey,
                     DrawHeroAttack(facing)});
  }
  files.push_back({"blueslime-walk.png", kActorKey, DrawBlueSlime(false)});
  files.push_back({"blueslime-attack.png", kActorKey, DrawBlueSlime(true)});
  files.push_back({"flower-walk.png", kActorKey, DrawFlower(false)});
  files.push_back({"flower-attack.png", kActorKey, DrawFlower(true)});
  files.push_back({"mudslime-walk.png", kActorKey, DrawMudSlime(false)});
  files.push_back({"mudslime-attack.png", kActorKey, DrawMudSlime(true)});
  files.push_back({"boss-walk.png", kActorKey, DrawBoss(false)});
  files.push_back({"boss-attack.png", kActorKey, DrawBoss(true)});
  files.push_back({"cover.png", kActorKey, DrawCover()});
  files.push_back({"story.png", kActorKey, DrawStory()});
  files.push_back({"gameover.png", kActorKey, DrawDefeat()});
  files.push_back({"gamewin.png", kActorKey, DrawVictory()});
  return files;
}

Canvas Scale(const Canvas& picture, int factor) {
  Canvas big(picture.width() * factor, picture.height() * factor);
  for (int y = 0; y < big.height(); ++y) {
    for (int x = 0; x < big.width(); ++x) big.Set(x, y, picture.Get(x / factor, y / factor));
  }
  return big;
}

Canvas StripFrame(const Canvas& strip, int index) {
  const int columns = strip.width() / kFrameSize;
  return Crop(strip, (index % columns) * kFrameSize, (index / columns) * kFrameSize, kFrameSize,
              kFrameSize);
}
